// The files the user picks, over the calls of os_calls.h: an opening test and a whole-file write.
#include "sysio/user_file.h"

#include "sysio/files.h"
#include "sysio/os_calls.h"

namespace sysio {
namespace {

constexpr unsigned kNewFileMode = 0666;  // narrowed by the umask

bool IsRegular(int fd) {
  const std::optional<os::FileInfo> info = os::InfoOf(fd);
  return info && info->kind == os::Kind::Regular;
}

}  // namespace

bool OpenOrCreateForReading(const std::string& path) {
  if (path.empty()) return false;
  const int fd = os::Open(path, os::kRead | os::kCreate | os::kNoWait, kNewFileMode);
  if (fd < 0) return false;
  const bool regular = IsRegular(fd);
  os::Close(fd);
  return regular;
}

bool WriteUserFile(const std::string& path, std::string_view bytes) {
  if (path.empty() || IsWriteProtected(path)) return false;
  const int fd = os::Open(path, os::kWrite | os::kCreate | os::kTruncate | os::kNoWait, kNewFileMode);
  if (fd < 0) return false;
  bool ok = IsRegular(fd) && WriteAll(fd, bytes);
  if (!os::Close(fd)) ok = false;
  return ok;
}

}  // namespace sysio
