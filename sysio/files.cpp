// POSIX implementation of whole-file reading, atomic rewriting and the process's folders.
#include "sysio/files.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sysio {
namespace {

constexpr mode_t kAnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;
constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask
constexpr int kTempNameAttempts = 16;
constexpr std::size_t kReadChunk = 64 * 1024;
constexpr const char* kDefaultTempDirectory = "/tmp";

// Closes a descriptor when it goes out of scope.
class FdGuard {
 public:
  explicit FdGuard(int fd) : m_fd(fd) {}
  ~FdGuard() {
    if (m_fd >= 0) ::close(m_fd);
  }
  FdGuard(const FdGuard&) = delete;
  FdGuard& operator=(const FdGuard&) = delete;
  int get() const { return m_fd; }
  // Closes now and reports whether the close succeeded.
  bool Close() {
    const int fd = m_fd;
    m_fd = -1;
    return ::close(fd) == 0;
  }

 private:
  int m_fd;
};

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
  int fd;
  do {
    fd = ::open(path, flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// The file a path names, with a link followed; the path itself when it is
// no link or the link leads nowhere.
std::string ResolveLink(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return path;
  return resolved;
}

std::string DirectoryOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Creates a new, empty temporary file beside `target`; fills `tempPath`.
int CreateTempBeside(const std::string& target, std::string& tempPath) {
  static std::atomic<unsigned> counter{0};
  const std::string stem =
      DirectoryOf(target) + "/." + BaseNameOf(target) + ".tmp-" + std::to_string(::getpid()) + "-";
  for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
    tempPath = stem + std::to_string(counter++);
    const int fd = OpenRetrying(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL, kNewFileMode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Best effort: makes the rename itself durable.
void SyncDirectory(const std::string& directory) {
  const int fd = OpenRetrying(directory.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

FileAccess ProbeFileAccess(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return FileAccess::Unavailable;
  // access() and open() grant root every file, so a file whose mode has no
  // write bit at all is taken as write-protected for every user as well.
  const bool writable = (st.st_mode & kAnyWriteBit) != 0 && ::access(path.c_str(), W_OK) == 0;
  if (writable) {
    const int fd = OpenRetrying(path.c_str(), O_RDWR);
    if (fd >= 0) {
      ::close(fd);
      return FileAccess::ReadWrite;
    }
  }
  const int fd = OpenRetrying(path.c_str(), O_RDONLY);
  if (fd < 0) return FileAccess::Unavailable;
  ::close(fd);
  return FileAccess::ReadOnly;
}

bool IsWriteProtected(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  return (st.st_mode & kAnyWriteBit) == 0 || ::access(path.c_str(), W_OK) != 0;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  if (!IsRegularFile(path)) return std::nullopt;
  FdGuard fd(OpenRetrying(path.c_str(), O_RDONLY));
  if (fd.get() < 0) return std::nullopt;
  std::string content;
  std::vector<char> chunk(kReadChunk);
  for (;;) {
    const ssize_t got = ::read(fd.get(), chunk.data(), chunk.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) return content;
    content.append(chunk.data(), static_cast<std::size_t>(got));
  }
}

bool WriteAll(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t put = ::write(fd, content.data(), content.size());
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    content.remove_prefix(static_cast<std::size_t>(put));
  }
  return true;
}

ReplacementFile::ReplacementFile(const std::string& path) : m_target(ResolveLink(path)) {
  struct stat old {};
  m_hadTarget = ::stat(m_target.c_str(), &old) == 0;
  if (m_hadTarget && !S_ISREG(old.st_mode)) return;
  m_oldMode = old.st_mode & 07777;
  m_oldOwner = old.st_uid;
  m_oldGroup = old.st_gid;
  m_fd = CreateTempBeside(m_target, m_tempPath);
}

ReplacementFile::~ReplacementFile() {
  if (m_fd < 0) return;
  ::close(m_fd);
  ::unlink(m_tempPath.c_str());
}

bool ReplacementFile::Write(std::string_view bytes, const FileWriter& writer) {
  return m_fd >= 0 && writer(m_fd, bytes);
}

bool ReplacementFile::Commit() {
  if (m_fd < 0) return false;
  bool ok = true;
  if (m_hadTarget) {
    // Ownership only changes for a privileged process; a failure there is harmless.
    [[maybe_unused]] const int ignored = ::fchown(m_fd, m_oldOwner, m_oldGroup);
    ok = ::fchmod(m_fd, static_cast<mode_t>(m_oldMode)) == 0;
  }
  ok = ok && ::fsync(m_fd) == 0;
  ok = ::close(m_fd) == 0 && ok;
  m_fd = -1;
  if (!ok || ::rename(m_tempPath.c_str(), m_target.c_str()) != 0) {
    ::unlink(m_tempPath.c_str());
    return false;
  }
  SyncDirectory(DirectoryOf(m_target));
  return true;
}

std::FILE* OpenForReading(const std::string& path) {
  // O_NONBLOCK keeps the open itself from waiting for a writer on a pipe.
  const int fd = OpenRetrying(path.c_str(), O_RDONLY | O_NONBLOCK);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode) ||
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    const int cause = S_ISDIR(info.st_mode) ? EISDIR : errno;
    ::close(fd);
    errno = cause;
    return nullptr;
  }
  std::FILE* file = ::fdopen(fd, "rb");
  if (file == nullptr) ::close(fd);
  return file;
}

std::optional<std::uint64_t> RegularFileSize(std::FILE* file) {
  struct stat info {};
  if (::fstat(::fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(info.st_size);
}

bool ReplaceFileAtomically(const std::string& path, std::string_view content,
                           const FileWriter& writer) {
  ReplacementFile file(path);
  return file.Write(content, writer) && file.Commit();
}

std::string CurrentDirectory() {
  std::vector<char> buffer(PATH_MAX);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

std::string TemporaryDirectory() {
  const char* fromEnvironment = std::getenv("TMPDIR");
  if (fromEnvironment != nullptr && *fromEnvironment != '\0') return fromEnvironment;
  return kDefaultTempDirectory;
}

}  // namespace sysio
