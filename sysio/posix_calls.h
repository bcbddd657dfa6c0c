// Small POSIX helpers shared by sysio's own sources: not part of any interface.
#pragma once

#include <cerrno>
#include <string>

#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

namespace sysio::posix {

// open() that is retried after an interrupting signal; O_CLOEXEC always.
inline int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
  int fd;
  do {
    fd = ::open(path, flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// Closes a descriptor when it goes out of scope, keeping errno as it was.
class FdGuard {
 public:
  explicit FdGuard(int fd = -1) : m_fd(fd) {}
  ~FdGuard() { Reset(); }
  FdGuard(const FdGuard&) = delete;
  FdGuard& operator=(const FdGuard&) = delete;
  int get() const { return m_fd; }
  int Release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
  }
  void Reset(int fd = -1) {
    if (m_fd >= 0) {
      const int saved = errno;
      ::close(m_fd);
      errno = saved;
    }
    m_fd = fd;
  }

 private:
  int m_fd;
};

// The folder part of a path ("." when there is none) and the name part.
inline std::string DirectoryOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

inline std::string BaseNameOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace sysio::posix
