// The file-system calls of sysio on POSIX: each the system call it names, retried after an interrupting signal.
#include "sysio/os_calls.h"

#ifndef _WIN32

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace sysio::os {

namespace {

Kind KindOf(mode_t mode) {
  if (S_ISREG(mode)) return Kind::Regular;
  if (S_ISDIR(mode)) return Kind::Folder;
  if (S_ISLNK(mode)) return Kind::Link;
  return Kind::Other;
}

FileInfo InfoFrom(const struct stat& st) {
  FileInfo info;
  info.kind = KindOf(st.st_mode);
  info.size = static_cast<std::uint64_t>(st.st_size);
  info.mode = st.st_mode & 07777;
  info.links = st.st_nlink;
  info.ownedByUs = st.st_uid == ::geteuid();
  info.owner = st.st_uid;
  info.group = st.st_gid;
  info.identity = {true, static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
  info.modified = static_cast<std::int64_t>(st.st_mtime);
  return info;
}

}  // namespace

int Open(const std::string& path, unsigned flags, unsigned mode) {
  int native = O_CLOEXEC | O_NOCTTY;  // a terminal opened here never becomes ours
  if ((flags & kReadWrite) == kReadWrite) {
    native |= O_RDWR;
  } else {
    native |= (flags & kWrite) != 0 ? O_WRONLY : O_RDONLY;
  }
  if ((flags & kCreate) != 0) native |= O_CREAT;
  if ((flags & kExclusive) != 0) native |= O_CREAT | O_EXCL | O_NOFOLLOW;
  if ((flags & kTruncate) != 0) native |= O_TRUNC;
  if ((flags & kNoWait) != 0) native |= O_NONBLOCK;
  if ((flags & kNoLink) != 0) native |= O_NOFOLLOW;
  int fd;
  do {
    fd = ::open(path.c_str(), native, static_cast<mode_t>(mode));
  } while (fd < 0 && errno == EINTR);
  return fd;
}

bool Close(int fd) { return ::close(fd) == 0; }

int CreateTemporary(const std::string& path, unsigned mode) { return Open(path, kReadWrite | kExclusive, mode); }

bool KeepWhenClosed(int) { return true; }

int OpenUnnamed(const std::string& folder, unsigned mode) {
#ifdef O_TMPFILE
  int fd;
  do {
    fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, static_cast<mode_t>(mode));
  } while (fd < 0 && errno == EINTR);
  // A file system without unnamed files answers with one of these.
  if (fd < 0 && (errno == EISDIR || errno == EINVAL)) errno = EOPNOTSUPP;
  return fd;
#else
  (void)folder;
  (void)mode;
  errno = EOPNOTSUPP;
  return -1;
#endif
}

bool NameUnnamed(int fd, const std::string& path) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
  if (errno != ENOENT || ::access("/proc/self/fd", F_OK) == 0) return false;
  // Without /proc: possible for a privileged process only.
  return ::linkat(fd, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  DIR* listing = ::opendir(folder.c_str());
  if (listing == nullptr) return names;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(listing);
  return names;
}

bool MakeBlocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  return flags != -1 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

std::FILE* StreamOf(int fd, const char* mode) { return ::fdopen(fd, mode); }

int DescriptorOf(std::FILE* stream) { return ::fileno(stream); }

long ReadSome(int fd, char* buffer, std::size_t size) {
  ssize_t n;
  do {
    n = ::read(fd, buffer, size);
  } while (n < 0 && errno == EINTR);
  return static_cast<long>(n);
}

long WriteSome(int fd, const char* bytes, std::size_t size) {
  ssize_t n;
  do {
    n = ::write(fd, bytes, size);
  } while (n < 0 && errno == EINTR);
  if (n == 0 && size > 0) errno = EIO;  // nothing written and no error: call it one
  return static_cast<long>(n);
}

long ReadAt(int fd, char* buffer, std::size_t size, std::uint64_t offset) {
  ssize_t n;
  do {
    n = ::pread(fd, buffer, size, static_cast<off_t>(offset));
  } while (n < 0 && errno == EINTR);
  return static_cast<long>(n);
}

long WriteAt(int fd, const char* bytes, std::size_t size, std::uint64_t offset) {
  ssize_t n;
  do {
    n = ::pwrite(fd, bytes, size, static_cast<off_t>(offset));
  } while (n < 0 && errno == EINTR);
  return static_cast<long>(n);
}

bool Truncate(int fd, std::uint64_t size) { return ::ftruncate(fd, static_cast<off_t>(size)) == 0; }

bool SyncToDisk(int fd) { return ::fsync(fd) == 0; }

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool ReplaceAtomically(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

std::string MakeUniqueFolder(const std::string& parent, const std::string& prefix) {
  std::string pattern = parent + "/" + prefix + "XXXXXX";
  return ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

bool RemoveFolder(const std::string& path) { return ::rmdir(path.c_str()) == 0; }

std::optional<FileInfo> InfoOf(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return std::nullopt;
  return InfoFrom(st);
}

std::optional<FileInfo> InfoOfPath(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return InfoFrom(st);
}

std::optional<FileInfo> InfoOfName(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
  return InfoFrom(st);
}

bool MayWrite(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }

std::string ResolveLink(const std::string& path) {
  const std::optional<FileInfo> name = InfoOfName(path);
  if (!name || name->kind != Kind::Link) return path;
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return path;
  return resolved;
}

bool SetMode(int fd, unsigned mode) { return ::fchmod(fd, static_cast<mode_t>(mode)) == 0; }

bool SetOwner(int fd, unsigned owner, unsigned group) { return ::fchown(fd, owner, group) == 0; }

long ProcessId() { return static_cast<long>(::getpid()); }

bool ProcessIsGone(long pid) { return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH; }

}  // namespace sysio::os

#endif
