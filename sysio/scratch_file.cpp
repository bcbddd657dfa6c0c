// Creates, fills, reads back and deletes the ScratchTextFile over the calls of os_calls.h.
#include "sysio/scratch_file.h"

#include <cerrno>
#include <utility>

#include "sysio/os_calls.h"
#include "sysio/path_names.h"

namespace sysio {
namespace {

// Owner-only on POSIX. Windows has no mode bits: there the file is private
// by its folder, the user's own temporary folder, whose access list
// admits only that user (and the system).
constexpr unsigned kOwnerOnly = 0600;
constexpr const char* kPrivateFolderPrefix = "letterloom-";

// Only a new file: never an existing one, nor through a link.
int CreateNew(const std::string& path) {
  return os::Open(path, os::kReadWrite | os::kExclusive | os::kNoLink, kOwnerOnly);
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
  // A folder with a name nobody else has, open to its user only.
  const std::string folder = os::MakeUniqueFolder(DirectoryOf(path), kPrivateFolderPrefix);
  if (folder.empty()) {
    scratch.m_status = IoStatus::LastError();
    return scratch;
  }
  const std::string privatePath = JoinPath(folder, BaseNameOf(path));
  scratch.m_fd = CreateNew(privatePath);
  if (scratch.m_fd < 0) {
    scratch.m_status = IoStatus::LastError();
    os::RemoveFolder(folder);
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
  if (m_fd >= 0) os::Close(m_fd);
  m_fd = -1;
}

IoStatus ScratchTextFile::Write(std::string_view bytes) {
  if (m_fd < 0) return IoStatus::Failure(EBADF);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const long n = os::WriteAt(m_fd, bytes.data() + done, bytes.size() - done, done);
    if (n < 0) return IoStatus::LastError();
    if (n == 0) return IoStatus::Failure(EIO);
    done += static_cast<std::size_t>(n);
  }
  return {};
}

IoStatus ScratchTextFile::ReadBack(std::string& bytes) const {
  bytes.clear();
  if (m_fd < 0) return IoStatus::Failure(EBADF);
  const std::optional<os::FileInfo> info = os::InfoOf(m_fd);
  if (!info) return IoStatus::LastError();
  bytes.resize(static_cast<std::size_t>(info->size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const long n = os::ReadAt(m_fd, bytes.data() + done, bytes.size() - done, done);
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
  // Only the name that still leads to our file is removed. The file is
  // closed before its folder goes: Windows keeps the name of a removed file
  // that is still open, and a folder with a name in it cannot be removed.
  const std::optional<os::FileInfo> mine = os::InfoOf(m_fd);
  const std::optional<os::FileInfo> named = os::InfoOfName(m_path);
  if (mine && named && mine->identity == named->identity) os::RemoveFile(m_path);
  Close();
  if (!m_privateFolder.empty()) os::RemoveFolder(m_privateFolder);
}

}  // namespace sysio
