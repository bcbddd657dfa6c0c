// Replacement files: an unnamed temporary linked into place (Linux's O_TMPFILE), or a named one renamed over the target.
#include "sysio/replacement_file.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "sysio/os_calls.h"
#include "sysio/path_names.h"

namespace sysio {
namespace {

constexpr unsigned kNewFileMode = 0666;  // narrowed by the umask
constexpr unsigned kPrivateMode = 0600;  // while the bytes of an existing file's successor are written
constexpr int kTempNameAttempts = 16;
constexpr const char* kTempInfix = ".tmp-";

// ".NAME.tmp-": what every temporary name of `target` starts with, in its folder.
std::string TempPrefix(const std::string& target) { return "." + BaseNameOf(target) + kTempInfix; }

std::string NextTempPath(const std::string& target) {
  static std::atomic<unsigned> counter{0};
  return JoinPath(DirectoryOf(target),
                  TempPrefix(target) + std::to_string(os::ProcessId()) + "-" + std::to_string(counter++));
}

// The process number in a temporary's name "<prefix>PID-N"; 0 when the name has another form.
long PidInName(const std::string& name, const std::string& prefix) {
  if (name.compare(0, prefix.size(), prefix) != 0) return 0;
  const char* digits = name.c_str() + prefix.size();
  char* end = nullptr;
  const long pid = std::strtol(digits, &end, 10);
  if (end == digits || *end != '-' || pid <= 0) return 0;
  for (const char* p = end + 1; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return 0;
  }
  return end[1] == '\0' ? 0 : pid;
}

// A temporary that a killed process left: regular, ours, one name, not
// written for a while, and its process is gone (no such process here).
bool IsStale(const std::string& path, long pid) {
  if (pid == os::ProcessId()) return false;
  const std::optional<os::FileInfo> info = os::InfoOfName(path);
  if (!info || info->kind != os::Kind::Regular || !info->ownedByUs || info->links != 1) return false;
  if (std::time(nullptr) - info->modified < kStaleTemporaryAgeSeconds) return false;
  return os::ProcessIsGone(pid);
}

// Removes the stale temporaries of `target`: one pass over its folder. (On
// Windows a temporary is removed by the system when its process ends, so
// only one left in the instant of its rename can be found here.)
void RemoveStaleTemporaries(const std::string& target) {
  const std::string folder = DirectoryOf(target);
  const std::string prefix = TempPrefix(target);
  for (const std::string& name : os::FolderEntries(folder)) {
    const long pid = PidInName(name, prefix);
    const std::string path = JoinPath(folder, name);
    if (pid != 0 && IsStale(path, pid)) os::RemoveFile(path);
  }
}

}  // namespace

ReplacementFile::ReplacementFile(const std::string& path, TemporaryNaming naming)
    : m_target(os::ResolveLink(path)) {
  const std::optional<os::FileInfo> old = os::InfoOfPath(m_target);
  m_hadTarget = old.has_value();
  if (m_hadTarget && old->kind != os::Kind::Regular) {
    m_status = IoStatus::Failure(old->kind == os::Kind::Folder ? EISDIR : EOPNOTSUPP);
    return;
  }
  if (m_hadTarget) {
    m_oldMode = old->mode;
    m_oldOwner = old->owner;
    m_oldGroup = old->group;
  }
  RemoveStaleTemporaries(m_target);
  const unsigned mode = m_hadTarget ? kPrivateMode : kNewFileMode;
  if (naming == TemporaryNaming::UnnamedWherePossible) {
    m_fd = os::OpenUnnamed(DirectoryOf(m_target), mode);
    if (m_fd >= 0 || errno != EOPNOTSUPP) {
      if (m_fd < 0) m_status = IoStatus::LastError();
      return;
    }
  }
  for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
    m_tempPath = NextTempPath(m_target);
    m_registered.Hold(m_tempPath);  // before the name exists: no moment without cleanup
    m_fd = os::CreateTemporary(m_tempPath, mode);
    if (m_fd >= 0) return;
    if (errno != EEXIST) break;
  }
  m_status = IoStatus::LastError();
  m_registered.Release();
  m_tempPath.clear();
}

ReplacementFile::~ReplacementFile() { Discard(); }

void ReplacementFile::Discard() {
  if (m_fd >= 0) os::Close(m_fd);
  m_fd = -1;
  if (!m_tempPath.empty()) os::RemoveFile(m_tempPath);
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
    const long n = os::ReadAt(m_fd, buffer + got, size - got, offset + got);
    if (n < 0) return IoStatus::LastError();
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return {};
}

IoStatus ReplacementFile::FinishContent() {
  if (m_hadTarget) {
    // Ownership only changes for a privileged process; a failure there is harmless.
    os::SetOwner(m_fd, m_oldOwner, m_oldGroup);
    if (!os::SetMode(m_fd, m_oldMode)) return IoStatus::LastError();
  }
  if (!os::SyncToDisk(m_fd)) return IoStatus::LastError();
  return {};
}

// The unnamed file gets the target's name at once when there was none,
// else a temporary name for the instant before the rename.
IoStatus ReplacementFile::NameUnnamed() {
  if (!m_hadTarget) {
    if (os::NameUnnamed(m_fd, m_target)) return {};
    if (errno != EEXIST) return IoStatus::LastError();
  }
  for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
    m_tempPath = NextTempPath(m_target);
    m_registered.Hold(m_tempPath);
    if (os::NameUnnamed(m_fd, m_tempPath)) return RenameIntoPlace();
    if (errno != EEXIST) break;
  }
  const IoStatus failed = IoStatus::LastError();
  m_registered.Release();
  m_tempPath.clear();
  return failed;
}

IoStatus ReplacementFile::RenameIntoPlace() {
  // On Windows the temporary is marked for deletion until now; a marked
  // file cannot be renamed. Should the rename fail, Discard removes it.
  if (!os::KeepWhenClosed(m_fd)) return IoStatus::LastError();
  if (!os::ReplaceAtomically(m_tempPath, m_target)) return IoStatus::LastError();
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
    os::SyncFolder(DirectoryOf(m_target));
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
