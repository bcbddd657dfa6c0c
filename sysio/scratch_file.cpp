// Creates, fills, reads back and deletes the ScratchTextFile over the calls of os_calls.h.
#include "sysio/scratch_file.h"

#include <cerrno>
#include <utility>

#include "sysio/os_calls.h"

namespace sysio {
namespace {

constexpr unsigned kOwnerOnly = 0600;

// A file we may reuse: regular, ours, one name only.
bool IsOurPlainFile(int fd) {
  const std::optional<os::FileInfo> info = os::InfoOf(fd);
  return info && info->kind == os::Kind::Regular && info->ownedByUs && info->links == 1;
}

int OpenExisting(const std::string& path) {
  const int fd = os::Open(path, os::kReadWrite | os::kNoWait | os::kNoLink);
  if (fd < 0) return -1;
  if (!IsOurPlainFile(fd) || !os::SetMode(fd, kOwnerOnly) || !os::Truncate(fd, 0)) {
    os::Close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

std::optional<ScratchTextFile> ScratchTextFile::Create(const std::string& path) {
  if (path.empty()) return std::nullopt;
  int fd = os::Open(path, os::kReadWrite | os::kExclusive, kOwnerOnly);
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
  if (m_fd >= 0) os::Close(m_fd);
  m_fd = -1;
}

bool ScratchTextFile::Write(std::string_view bytes) {
  if (m_fd < 0) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const long n = os::WriteAt(m_fd, bytes.data() + done, bytes.size() - done, done);
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::optional<std::string> ScratchTextFile::ReadBack() const {
  if (m_fd < 0) return std::nullopt;
  const std::optional<os::FileInfo> info = os::InfoOf(m_fd);
  if (!info) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(info->size), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    const long n = os::ReadAt(m_fd, bytes.data() + done, bytes.size() - done, done);
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  bytes.resize(done);
  return bytes;
}

void ScratchTextFile::Delete() {
  if (m_fd < 0) return;
  // Only the name that still leads to our file is removed (on Windows the
  // file is open with FILE_SHARE_DELETE, so it can go while we hold it).
  const std::optional<os::FileInfo> mine = os::InfoOf(m_fd);
  const std::optional<os::FileInfo> named = os::InfoOfName(m_path);
  if (mine && named && mine->identity == named->identity) os::RemoveFile(m_path);
  Close();
}

}  // namespace sysio
