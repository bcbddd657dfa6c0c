// POSIX implementation of whole-file reading, atomic rewriting and the process's folders.
#include "platform/files.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
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

// Writes, keeps the old file's owner and mode, and flushes the temporary file.
bool FillTempFile(FdGuard& fd, std::string_view content, const FileWriter& writer,
                  const struct stat* old) {
  if (!writer(fd.get(), content)) return false;
  if (old != nullptr) {
    // Ownership only changes for a privileged process; a failure there is harmless.
    [[maybe_unused]] const int ignored = ::fchown(fd.get(), old->st_uid, old->st_gid);
    if (::fchmod(fd.get(), old->st_mode & 07777) != 0) return false;
  }
  if (::fsync(fd.get()) != 0) return false;
  return fd.Close();
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

bool ReplaceFileAtomically(const std::string& path, std::string_view content,
                           const FileWriter& writer) {
  const std::string target = ResolveLink(path);
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists && !S_ISREG(old.st_mode)) return false;

  std::string tempPath;
  FdGuard fd(CreateTempBeside(target, tempPath));
  if (fd.get() < 0) return false;
  if (!FillTempFile(fd, content, writer, exists ? &old : nullptr) ||
      ::rename(tempPath.c_str(), target.c_str()) != 0) {
    ::unlink(tempPath.c_str());
    return false;
  }
  SyncDirectory(DirectoryOf(target));
  return true;
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

}  // namespace platform
