// Creates, fills, reads back and deletes the ScratchTextFile with plain POSIX calls.
#include "sysio/scratch_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>
#include <vector>

#include "sysio/posix_calls.h"

namespace sysio {
namespace {

constexpr mode_t kOwnerOnly = S_IRUSR | S_IWUSR;
constexpr const char* kPrivateFolderPattern = "letterloom-XXXXXX";

// O_EXCL with O_CREAT never opens an existing file, nor follows a link.
int CreateNew(const std::string& path) {
  return posix::OpenRetrying(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW, kOwnerOnly);
}

}  // namespace

ScratchTextFile ScratchTextFile::Create(const std::string& path) {
  ScratchTextFile scratch;
  if (path.empty()) {
    scratch.m_status = IoStatus::Failure(ENOENT);
    return scratch;
  }
  scratch.m_fd = CreateNew(path);
  if (scratch.m_fd >= 0) {
    scratch.m_path = path;
    return scratch;
  }
  // mkdtemp makes the folder with mode 0700 and a name nobody else has.
  std::string folder = posix::DirectoryOf(path) + "/" + kPrivateFolderPattern;
  if (::mkdtemp(folder.data()) == nullptr) {
    scratch.m_status = IoStatus::LastError();
    return scratch;
  }
  const std::string privatePath = folder + "/" + posix::BaseNameOf(path);
  scratch.m_fd = CreateNew(privatePath);
  if (scratch.m_fd < 0) {
    scratch.m_status = IoStatus::LastError();
    ::rmdir(folder.c_str());
    return scratch;
  }
  scratch.m_path = privatePath;
  scratch.m_privateFolder = folder;
  return scratch;
}

ScratchTextFile::ScratchTextFile(ScratchTextFile&& other) noexcept
    : m_path(std::move(other.m_path)),
      m_privateFolder(std::move(other.m_privateFolder)),
      m_fd(std::exchange(other.m_fd, -1)),
      m_status(other.m_status) {}

ScratchTextFile& ScratchTextFile::operator=(ScratchTextFile&& other) noexcept {
  if (this != &other) {
    Close();
    m_path = std::move(other.m_path);
    m_privateFolder = std::move(other.m_privateFolder);
    m_fd = std::exchange(other.m_fd, -1);
    m_status = other.m_status;
  }
  return *this;
}

ScratchTextFile::~ScratchTextFile() { Close(); }

void ScratchTextFile::Close() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
}

IoStatus ScratchTextFile::Write(std::string_view bytes) {
  if (m_fd < 0) return IoStatus::Failure(EBADF);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::pwrite(m_fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return IoStatus::LastError();
    if (n == 0) return IoStatus::Failure(EIO);
    done += static_cast<std::size_t>(n);
  }
  return {};
}

IoStatus ScratchTextFile::ReadBack(std::string& bytes) const {
  bytes.clear();
  if (m_fd < 0) return IoStatus::Failure(EBADF);
  struct stat info {};
  if (::fstat(m_fd, &info) != 0) return IoStatus::LastError();
  bytes.resize(static_cast<std::size_t>(info.st_size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::pread(m_fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      bytes.clear();
      return IoStatus::LastError();
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  bytes.resize(done);
  return {};
}

void ScratchTextFile::Delete() {
  if (m_fd < 0) return;
  struct stat mine {};
  struct stat named {};
  // Only the name that still leads to our file is removed.
  if (::fstat(m_fd, &mine) == 0 && ::lstat(m_path.c_str(), &named) == 0 &&
      mine.st_dev == named.st_dev && mine.st_ino == named.st_ino) {
    ::unlink(m_path.c_str());
  }
  if (!m_privateFolder.empty()) ::rmdir(m_privateFolder.c_str());
  Close();
}

}  // namespace sysio
