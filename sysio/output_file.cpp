// Output files: a kind test, then a replacement file or a descriptor written directly (over the calls of os_calls.h).
#include "sysio/output_file.h"

#include <cerrno>
#include <utility>

#include "sysio/files.h"
#include "sysio/os_calls.h"

namespace sysio {
namespace {

constexpr int kStandardOutputFd = 1;

// Whether the path leads to the very file standard output has open.
bool IsStandardOutput(const std::string& path) {
  const std::optional<os::FileInfo> named = os::InfoOfPath(path);
  const std::optional<os::FileInfo> out = os::InfoOf(kStandardOutputFd);
  return named && out && named->identity == out->identity;
}

}  // namespace

OutputFile::OutputFile(const std::string& path) {
  const FileFacts facts = InspectFile(path);
  if (!facts.status) {
    m_status = facts.status;
    return;
  }
  if (facts.kind == FileKind::Missing) {
    if (facts.isLink) {
      m_status = IoStatus::Failure(ENOENT);  // never write through a dangling link
    } else {
      m_replacement = std::make_unique<ReplacementFile>(path);
      m_status = m_replacement->status();
    }
    return;
  }
  if (facts.kind == FileKind::Folder) {
    m_status = IoStatus::Failure(EISDIR);
    return;
  }
  if (IsStandardOutput(path)) {
    m_fd = kStandardOutputFd;
    return;
  }
  if (facts.kind == FileKind::Other) {
    OpenDirect(path, false);
    return;
  }
  if (facts.writeProtected) {
    m_status = IoStatus::Failure(EACCES);
    return;
  }
  if (facts.linkCount > 1) {
    OpenDirect(path, true);
    return;
  }
  m_replacement = std::make_unique<ReplacementFile>(path);
  m_status = m_replacement->status();
}

OutputFile OutputFile::StandardOutput() {
  OutputFile out;
  out.m_fd = kStandardOutputFd;
  return out;
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : m_replacement(std::move(other.m_replacement)),
      m_fd(std::exchange(other.m_fd, -1)),
      m_ownsFd(std::exchange(other.m_ownsFd, false)),
      m_status(other.m_status) {}

OutputFile::~OutputFile() {
  if (m_ownsFd && m_fd >= 0) os::Close(m_fd);
}

// Opens an existing file to write into it. A FIFO's open waits for a
// reader, as tee's does. In place, the file is emptied first.
void OutputFile::OpenDirect(const std::string& path, bool inPlace) {
  m_fd = os::Open(path, os::kWrite);
  if (m_fd < 0) {
    m_status = IoStatus::LastError();
    return;
  }
  m_ownsFd = true;
  const std::optional<os::FileInfo> info = os::InfoOf(m_fd);
  if (!info) {
    m_status = IoStatus::LastError();
  } else if ((info->kind == os::Kind::Regular) != inPlace) {
    m_status = IoStatus::Failure(EAGAIN);  // it changed kind since it was examined
  } else if (inPlace && !os::Truncate(m_fd, 0)) {
    m_status = IoStatus::LastError();
  }
}

IoStatus OutputFile::Write(std::string_view bytes) {
  if (!m_status) return m_status;
  if (m_replacement) {
    m_status = m_replacement->Write(bytes);
  } else if (!WriteAll(m_fd, bytes)) {
    m_status = IoStatus::LastError();
  }
  return m_status;
}

IoStatus OutputFile::Commit() {
  if (!m_status) return m_status;
  if (m_replacement) {
    m_status = m_replacement->Commit();
  } else if (m_ownsFd) {
    const int fd = std::exchange(m_fd, -1);
    if (!os::Close(fd) && errno != EINTR) m_status = IoStatus::LastError();
  }
  return m_status;
}

}  // namespace sysio
