// POSIX adapters for the files the user picks: an opening test and a whole-file write.
#include "sysio/user_file.h"

#include "sysio/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sysio {
namespace {

constexpr mode_t kNewFileMode = S_IRUSR | S_IWUSR | S_IRGRP | S_IWGRP | S_IROTH | S_IWOTH;

bool IsRegular(int fd) {
  struct stat info {};
  return fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

bool OpenOrCreateForReading(const std::string& path) {
  if (path.empty()) return false;
  const int fd = open(path.c_str(), O_RDONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, kNewFileMode);
  if (fd < 0) return false;
  const bool regular = IsRegular(fd);
  close(fd);
  return regular;
}

bool WriteUserFile(const std::string& path, std::string_view bytes) {
  if (path.empty() || IsWriteProtected(path)) return false;
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, kNewFileMode);
  if (fd < 0) return false;
  bool ok = IsRegular(fd) && WriteAll(fd, bytes);
  if (close(fd) != 0) ok = false;
  return ok;
}

}  // namespace sysio
