// Creates, fills, reads back and deletes the ScratchTextFile with plain POSIX calls.
#include "sysio/scratch_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace sysio {
namespace {

constexpr mode_t kOwnerOnly = S_IRUSR | S_IWUSR;
constexpr int kCommonFlags = O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;

// A file we may reuse: regular, ours, one name only.
bool IsOurPlainFile(int fd) {
  struct stat info {};
  if (fstat(fd, &info) != 0) return false;
  return S_ISREG(info.st_mode) && info.st_uid == geteuid() && info.st_nlink == 1;
}

int OpenExisting(const std::string& path) {
  const int fd = open(path.c_str(), kCommonFlags);
  if (fd < 0) return -1;
  if (!IsOurPlainFile(fd) || fchmod(fd, kOwnerOnly) != 0 || ftruncate(fd, 0) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

std::optional<ScratchTextFile> ScratchTextFile::Create(const std::string& path) {
  if (path.empty()) return std::nullopt;
  int fd = open(path.c_str(), kCommonFlags | O_CREAT | O_EXCL, kOwnerOnly);
  if (fd < 0 && errno == EEXIST) fd = OpenExisting(path);
  if (fd < 0) return std::nullopt;
  return ScratchTextFile(path, fd);
}

ScratchTextFile::ScratchTextFile(ScratchTextFile&& other) noexcept
    : m_path(std::move(other.m_path)), m_fd(std::exchange(other.m_fd, -1)) {}

ScratchTextFile& ScratchTextFile::operator=(ScratchTextFile&& other) noexcept {
  if (this != &other) {
    Close();
    m_path = std::move(other.m_path);
    m_fd = std::exchange(other.m_fd, -1);
  }
  return *this;
}

ScratchTextFile::~ScratchTextFile() { Close(); }

void ScratchTextFile::Close() {
  if (m_fd >= 0) close(m_fd);
  m_fd = -1;
}

bool ScratchTextFile::Write(std::string_view bytes) {
  if (m_fd < 0) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = pwrite(m_fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::optional<std::string> ScratchTextFile::ReadBack() const {
  if (m_fd < 0) return std::nullopt;
  struct stat info {};
  if (fstat(m_fd, &info) != 0) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = pread(m_fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  bytes.resize(done);
  return bytes;
}

void ScratchTextFile::Delete() {
  if (m_fd < 0) return;
  struct stat mine {};
  struct stat named {};
  // Only the name that still leads to our file is removed.
  if (fstat(m_fd, &mine) == 0 && lstat(m_path.c_str(), &named) == 0 &&
      mine.st_dev == named.st_dev && mine.st_ino == named.st_ino) {
    unlink(m_path.c_str());
  }
  Close();
}

}  // namespace sysio
