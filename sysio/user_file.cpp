// POSIX adapters for the files the user picks: an opening test and a whole-file write.
#include "sysio/user_file.h"

#include "sysio/files.h"
#include "sysio/posix_calls.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace sysio {
namespace {

constexpr mode_t kNewFileMode = S_IRUSR | S_IWUSR | S_IRGRP | S_IWGRP | S_IROTH | S_IWOTH;

// ok for a regular file; EISDIR for a folder, EOPNOTSUPP for anything else.
IoStatus RegularOrWhy(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) return IoStatus::LastError();
  if (S_ISREG(info.st_mode)) return {};
  return IoStatus::Failure(S_ISDIR(info.st_mode) ? EISDIR : EOPNOTSUPP);
}

}  // namespace

IoStatus OpenOrCreateForReading(const std::string& path) {
  if (path.empty()) return IoStatus::Failure(ENOENT);
  posix::FdGuard fd(posix::OpenRetrying(path.c_str(), O_RDONLY | O_CREAT | O_NONBLOCK, kNewFileMode));
  if (fd.get() < 0) return IoStatus::LastError();
  return RegularOrWhy(fd.get());
}

IoStatus WriteUserFile(const std::string& path, std::string_view bytes) {
  if (path.empty()) return IoStatus::Failure(ENOENT);
  if (IsWriteProtected(path)) return IoStatus::Failure(EACCES);
  posix::FdGuard fd(posix::OpenRetrying(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK, kNewFileMode));
  if (fd.get() < 0) return IoStatus::LastError();
  IoStatus status = RegularOrWhy(fd.get());
  if (status && !WriteAll(fd.get(), bytes)) status = IoStatus::LastError();
  if (::close(fd.Release()) != 0 && status) status = IoStatus::LastError();
  return status;
}

}  // namespace sysio
