// Whole-file reading, atomic rewriting and the process's folders, over the calls of os_calls.h.
#include "sysio/files.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include "sysio/wide_text.h"
#else
#include <climits>
#include <unistd.h>
#endif

#include "sysio/os_calls.h"
#include "sysio/path_names.h"

namespace sysio {
namespace {

constexpr unsigned kAnyWriteBit = 0222;
constexpr unsigned kNewFileMode = 0666;  // narrowed by the umask
constexpr int kTempNameAttempts = 16;
constexpr std::size_t kReadChunk = 64 * 1024;
constexpr const char* kDefaultTempDirectory = "/tmp";

// Closes a descriptor when it goes out of scope.
class FdGuard {
 public:
  explicit FdGuard(int fd) : m_fd(fd) {}
  ~FdGuard() {
    if (m_fd >= 0) os::Close(m_fd);
  }
  FdGuard(const FdGuard&) = delete;
  FdGuard& operator=(const FdGuard&) = delete;
  int get() const { return m_fd; }
  int Release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
  }

 private:
  int m_fd;
};

// Creates a new, empty temporary file beside `target`; fills `tempPath`.
int CreateTempBeside(const std::string& target, std::string& tempPath) {
  static std::atomic<unsigned> counter{0};
  const std::string stem = JoinPath(DirectoryOf(target), "." + BaseNameOf(target) + ".tmp-" +
                                                             std::to_string(os::ProcessId()) + "-");
  for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
    tempPath = stem + std::to_string(counter++);
    const int fd = os::Open(tempPath, os::kWrite | os::kExclusive, kNewFileMode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// A regular file whose mode has no write bit, or that the process may not write.
bool WriteProtected(const std::string& path, const os::FileInfo& info) {
  // access() and open() grant root every file, so a file whose mode has no
  // write bit at all is taken as write-protected for every user as well.
  return (info.mode & kAnyWriteBit) == 0 || !os::MayWrite(path);
}

}  // namespace

bool IsRegularFile(const std::string& path) {
  const std::optional<os::FileInfo> info = os::InfoOfPath(path);
  return info && info->kind == os::Kind::Regular;
}

FileAccess ProbeFileAccess(const std::string& path) {
  const std::optional<os::FileInfo> info = os::InfoOfPath(path);
  if (!info || info->kind != os::Kind::Regular) return FileAccess::Unavailable;
  if (!WriteProtected(path, *info)) {
    FdGuard fd(os::Open(path, os::kReadWrite));
    if (fd.get() >= 0) return FileAccess::ReadWrite;
  }
  FdGuard fd(os::Open(path, os::kRead));
  return fd.get() >= 0 ? FileAccess::ReadOnly : FileAccess::Unavailable;
}

bool IsWriteProtected(const std::string& path) {
  const std::optional<os::FileInfo> info = os::InfoOfPath(path);
  return info && WriteProtected(path, *info);
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  if (!IsRegularFile(path)) return std::nullopt;
  FdGuard fd(os::Open(path, os::kRead));
  if (fd.get() < 0) return std::nullopt;
  std::string content;
  std::vector<char> chunk(kReadChunk);
  for (;;) {
    const long got = os::ReadAt(fd.get(), chunk.data(), chunk.size(), content.size());
    if (got < 0) return std::nullopt;
    if (got == 0) return content;
    content.append(chunk.data(), static_cast<std::size_t>(got));
  }
}

bool WriteAll(int fd, std::string_view content) {
  while (!content.empty()) {
    const long put = os::WriteSome(fd, content.data(), content.size());
    if (put <= 0) return false;
    content.remove_prefix(static_cast<std::size_t>(put));
  }
  return true;
}

ReplacementFile::ReplacementFile(const std::string& path) : m_target(os::ResolveLink(path)) {
  const std::optional<os::FileInfo> old = os::InfoOfPath(m_target);
  m_hadTarget = old.has_value();
  if (m_hadTarget && old->kind != os::Kind::Regular) return;
  if (m_hadTarget) {
    m_oldMode = old->mode;
    m_oldOwner = old->owner;
    m_oldGroup = old->group;
  }
  m_fd = CreateTempBeside(m_target, m_tempPath);
}

ReplacementFile::~ReplacementFile() {
  if (m_fd < 0) return;
  os::Close(m_fd);
  os::RemoveFile(m_tempPath);
}

bool ReplacementFile::Write(std::string_view bytes, const FileWriter& writer) {
  return m_fd >= 0 && writer(m_fd, bytes);
}

bool ReplacementFile::Commit() {
  if (m_fd < 0) return false;
  bool ok = true;
  if (m_hadTarget) {
    // Ownership only changes for a privileged process; a failure there is harmless.
    os::SetOwner(m_fd, m_oldOwner, m_oldGroup);
    ok = os::SetMode(m_fd, m_oldMode);
  }
  ok = ok && os::SyncToDisk(m_fd);
  ok = os::Close(m_fd) && ok;
  m_fd = -1;
  if (!ok || !os::ReplaceFile(m_tempPath, m_target)) {
    const int cause = errno;
    os::RemoveFile(m_tempPath);
    errno = cause;
    return false;
  }
  os::SyncFolder(DirectoryOf(m_target));
  return true;
}

std::FILE* OpenForReading(const std::string& path) {
  // kNoWait keeps the open itself from waiting for a writer on a pipe.
  FdGuard fd(os::Open(path, os::kRead | os::kNoWait));
  if (fd.get() < 0) return nullptr;
  const std::optional<os::FileInfo> info = os::InfoOf(fd.get());
  if (!info || info->kind == os::Kind::Folder || !os::MakeBlocking(fd.get())) {
    const int cause = info && info->kind == os::Kind::Folder ? EISDIR : errno;
    errno = cause;
    return nullptr;
  }
  std::FILE* file = os::StreamOf(fd.get(), "rb");
  if (file != nullptr) fd.Release();
  return file;
}

std::optional<std::uint64_t> RegularFileSize(std::FILE* file) {
  const std::optional<os::FileInfo> info = os::InfoOf(os::DescriptorOf(file));
  if (!info || info->kind != os::Kind::Regular) return std::nullopt;
  return info->size;
}

bool ReplaceFileAtomically(const std::string& path, std::string_view content,
                           const FileWriter& writer) {
  ReplacementFile file(path);
  return file.Write(content, writer) && file.Commit();
}

std::string CurrentDirectory() {
#ifdef _WIN32
  const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
  std::wstring buffer(size, L'\0');
  const DWORD length = ::GetCurrentDirectoryW(size, buffer.data());
  if (length == 0 || length >= size) return {};
  buffer.resize(length);
  return windows::Narrow(buffer);
#else
  std::vector<char> buffer(PATH_MAX);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
#endif
}

std::string TemporaryDirectory() {
#ifdef _WIN32
  // The user's own temporary folder (TMP, TEMP, USERPROFILE, else the
  // Windows folder), without the separator GetTempPathW ends it with.
  wchar_t buffer[MAX_PATH + 1];
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
  if (length == 0 || length > MAX_PATH) return {};
  std::string folder = windows::Narrow(std::wstring_view(buffer, length));
  if (folder.size() > 3 && IsPathSeparator(folder.back())) folder.pop_back();  // "C:\" stays whole
  return folder;
#else
  const char* fromEnvironment = std::getenv("TMPDIR");
  if (fromEnvironment != nullptr && *fromEnvironment != '\0') return fromEnvironment;
  return kDefaultTempDirectory;
#endif
}

}  // namespace sysio
