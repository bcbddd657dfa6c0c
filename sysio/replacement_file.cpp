// POSIX replacement files: O_TMPFILE linked into place, or a named temporary renamed over the target.
#include "sysio/replacement_file.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "sysio/posix_calls.h"

namespace sysio {
namespace {

using posix::BaseNameOf;
using posix::DirectoryOf;
using posix::FdGuard;
using posix::OpenRetrying;

constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask
constexpr mode_t kPrivateMode = 0600;  // while the bytes of an existing file's successor are written
constexpr int kTempNameAttempts = 16;
constexpr const char* kTempInfix = ".tmp-";

// The file a path names, with a link followed; the path itself when it is
// no link or the link leads nowhere.
std::string ResolveLink(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return path;
  return resolved;
}

// ".NAME.tmp-": what every temporary name of `target` starts with, in its folder.
std::string TempPrefix(const std::string& target) { return "." + BaseNameOf(target) + kTempInfix; }

std::string NextTempPath(const std::string& target) {
  static std::atomic<unsigned> counter{0};
  return DirectoryOf(target) + "/" + TempPrefix(target) + std::to_string(::getpid()) + "-" +
         std::to_string(counter++);
}

// The process number in a temporary's name "<prefix>PID-N"; 0 when the name has another form.
pid_t PidInName(const std::string& name, const std::string& prefix) {
  if (name.compare(0, prefix.size(), prefix) != 0) return 0;
  const char* digits = name.c_str() + prefix.size();
  char* end = nullptr;
  const long pid = std::strtol(digits, &end, 10);
  if (end == digits || *end != '-' || pid <= 0) return 0;
  for (const char* p = end + 1; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return 0;
  }
  return end[1] == '\0' ? 0 : static_cast<pid_t>(pid);
}

// A temporary that a killed process left: regular, ours, one name, not
// written for a while, and its process is gone (no such process here).
bool IsStale(int folder, const char* name, pid_t pid) {
  if (pid == ::getpid()) return false;
  struct stat st {};
  if (::fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
  if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || st.st_nlink != 1) return false;
  if (std::time(nullptr) - st.st_mtime < kStaleTemporaryAgeSeconds) return false;
  return ::kill(pid, 0) != 0 && errno == ESRCH;
}

// Removes the stale temporaries of `target`: one pass over its folder.
void RemoveStaleTemporaries(const std::string& target) {
  DIR* folder = ::opendir(DirectoryOf(target).c_str());
  if (folder == nullptr) return;
  const std::string prefix = TempPrefix(target);
  while (const dirent* entry = ::readdir(folder)) {
    const pid_t pid = PidInName(entry->d_name, prefix);
    if (pid != 0 && IsStale(::dirfd(folder), entry->d_name, pid)) {
      ::unlinkat(::dirfd(folder), entry->d_name, 0);
    }
  }
  ::closedir(folder);
}

// A file system without unnamed files answers O_TMPFILE with one of these.
bool UnnamedUnsupported(int error) { return error == EOPNOTSUPP || error == EISDIR || error == EINVAL; }

int OpenUnnamed(const std::string& folder, mode_t mode) {
#ifdef O_TMPFILE
  return OpenRetrying(folder.c_str(), O_TMPFILE | O_RDWR, mode);
#else
  errno = EOPNOTSUPP;
  return -1;
#endif
}

// Gives the unnamed file `fd` the name `path`; EEXIST when the name is taken.
int LinkUnnamed(int fd, const std::string& path) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
  if (errno != ENOENT || ::access("/proc/self/fd", F_OK) == 0) return -1;
  // Without /proc: possible for a privileged process only.
  return ::linkat(fd, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH);
}

// Best effort: makes the rename itself durable.
void SyncDirectory(const std::string& directory) {
  FdGuard fd(OpenRetrying(directory.c_str(), O_RDONLY | O_DIRECTORY));
  if (fd.get() >= 0) ::fsync(fd.get());
}

}  // namespace

ReplacementFile::ReplacementFile(const std::string& path, TemporaryNaming naming)
    : m_target(ResolveLink(path)) {
  struct stat old {};
  m_hadTarget = ::stat(m_target.c_str(), &old) == 0;
  if (m_hadTarget && !S_ISREG(old.st_mode)) {
    m_status = IoStatus::Failure(S_ISDIR(old.st_mode) ? EISDIR : EOPNOTSUPP);
    return;
  }
  m_oldMode = old.st_mode & 07777;
  m_oldOwner = old.st_uid;
  m_oldGroup = old.st_gid;
  RemoveStaleTemporaries(m_target);
  const mode_t mode = m_hadTarget ? kPrivateMode : kNewFileMode;
  if (naming == TemporaryNaming::UnnamedWherePossible) {
    m_fd = OpenUnnamed(DirectoryOf(m_target), mode);
    if (m_fd >= 0 || !UnnamedUnsupported(errno)) {
      if (m_fd < 0) m_status = IoStatus::LastError();
      return;
    }
  }
  for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
    m_tempPath = NextTempPath(m_target);
    m_registered.Hold(m_tempPath);  // before the name exists: no moment without cleanup
    m_fd = OpenRetrying(m_tempPath.c_str(), O_RDWR | O_CREAT | O_EXCL, mode);
    if (m_fd >= 0) return;
    if (errno != EEXIST) break;
  }
  m_status = IoStatus::LastError();
  m_registered.Release();
  m_tempPath.clear();
}

ReplacementFile::~ReplacementFile() { Discard(); }

void ReplacementFile::Discard() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  if (!m_tempPath.empty()) ::unlink(m_tempPath.c_str());
  m_tempPath.clear();
  m_registered.Release();
}

IoStatus ReplacementFile::Write(std::string_view bytes, const FileWriter& writer) {
  if (m_fd < 0 || !m_status) return m_status ? IoStatus::Failure(EBADF) : m_status;
  errno = 0;
  if (!writer(m_fd, bytes)) {
    m_status = IoStatus::LastError();
    return m_status;
  }
  m_size += bytes.size();
  return {};
}

IoStatus ReplacementFile::ReadAt(std::uint64_t offset, char* buffer, std::size_t size,
                                 std::size_t& got) const {
  got = 0;
  if (m_fd < 0) return IoStatus::Failure(EBADF);
  while (got < size) {
    const ssize_t n = ::pread(m_fd, buffer + got, size - got, static_cast<off_t>(offset + got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return IoStatus::LastError();
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return {};
}

IoStatus ReplacementFile::FinishContent() {
  if (m_hadTarget) {
    // Ownership only changes for a privileged process; a failure there is harmless.
    [[maybe_unused]] const int ignored = ::fchown(m_fd, m_oldOwner, m_oldGroup);
    if (::fchmod(m_fd, static_cast<mode_t>(m_oldMode)) != 0) return IoStatus::LastError();
  }
  if (::fsync(m_fd) != 0) return IoStatus::LastError();
  return {};
}

// The unnamed file gets the target's name at once when there was none,
// else a temporary name for the instant before the rename.
IoStatus ReplacementFile::NameUnnamed() {
  if (!m_hadTarget) {
    if (LinkUnnamed(m_fd, m_target) == 0) return {};
    if (errno != EEXIST) return IoStatus::LastError();
  }
  for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
    m_tempPath = NextTempPath(m_target);
    m_registered.Hold(m_tempPath);
    if (LinkUnnamed(m_fd, m_tempPath) == 0) return RenameIntoPlace();
    if (errno != EEXIST) break;
  }
  const IoStatus failed = IoStatus::LastError();
  m_registered.Release();
  m_tempPath.clear();
  return failed;
}

IoStatus ReplacementFile::RenameIntoPlace() {
  if (::rename(m_tempPath.c_str(), m_target.c_str()) != 0) return IoStatus::LastError();
  m_tempPath.clear();
  m_registered.Release();
  return {};
}

IoStatus ReplacementFile::Commit() {
  if (m_fd < 0 || !m_status) return m_status ? IoStatus::Failure(EBADF) : m_status;
  // Once fsync has succeeded, closing can report nothing new.
  IoStatus status = FinishContent();
  if (status) status = m_tempPath.empty() ? NameUnnamed() : RenameIntoPlace();
  if (status) {
    SyncDirectory(DirectoryOf(m_target));
  } else {
    m_status = status;
  }
  Discard();
  return status;
}

IoStatus ReplaceFileAtomically(const std::string& path, std::string_view content,
                               const FileWriter& writer) {
  ReplacementFile file(path);
  if (!file.IsOpen()) return file.status();
  const IoStatus written = file.Write(content, writer);
  return written ? file.Commit() : written;
}

}  // namespace sysio
