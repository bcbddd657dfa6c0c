// The files the user picks, over the calls of os_calls.h: an opening test and a whole-file write.
#include "sysio/user_file.h"

#include <cerrno>

#include "sysio/files.h"
#include "sysio/os_calls.h"

namespace sysio {
namespace {

constexpr unsigned kNewFileMode = 0666;  // narrowed by the umask

// ok for a regular file; EISDIR for a folder, EOPNOTSUPP for anything else.
IoStatus RegularOrWhy(int fd) {
  const std::optional<os::FileInfo> info = os::InfoOf(fd);
  if (!info) return IoStatus::LastError();
  if (info->kind == os::Kind::Regular) return {};
  return IoStatus::Failure(info->kind == os::Kind::Folder ? EISDIR : EOPNOTSUPP);
}

}  // namespace

IoStatus OpenOrCreateForReading(const std::string& path) {
  if (path.empty()) return IoStatus::Failure(ENOENT);
  os::FdGuard fd(os::Open(path, os::kRead | os::kCreate | os::kNoWait, kNewFileMode));
  if (fd.get() < 0) return IoStatus::LastError();
  return RegularOrWhy(fd.get());
}

IoStatus WriteUserFile(const std::string& path, std::string_view bytes) {
  if (path.empty()) return IoStatus::Failure(ENOENT);
  if (IsWriteProtected(path)) return IoStatus::Failure(EACCES);
  os::FdGuard fd(os::Open(path, os::kWrite | os::kCreate | os::kTruncate | os::kNoWait, kNewFileMode));
  if (fd.get() < 0) return IoStatus::LastError();
  IoStatus status = RegularOrWhy(fd.get());
  if (status && !WriteAll(fd.get(), bytes)) status = IoStatus::LastError();
  if (!os::Close(fd.Release()) && status) status = IoStatus::LastError();
  return status;
}

}  // namespace sysio
