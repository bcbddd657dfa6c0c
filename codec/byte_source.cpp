// Reading from a file or a memory block through one small interface.
#include "codec/byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <limits>

namespace codec {

std::size_t ReadBytes(ByteSource& source, void* out, std::size_t count) {
  if (source.file != nullptr) return std::fread(out, 1, count, source.file);
  const std::size_t left = source.position < source.size ? source.size - source.position : 0;
  const std::size_t taken = count < left ? count : left;
  if (taken != 0) std::memcpy(out, source.data + source.position, taken);
  source.position += taken;
  return taken;
}

bool SeekTo(ByteSource& source, std::uint64_t offset) {
  if (source.file != nullptr) {
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<long>::max())) return false;
    return std::fseek(source.file, static_cast<long>(offset), SEEK_SET) == 0;
  }
  if (offset > source.size) return false;
  source.position = static_cast<std::size_t>(offset);
  return true;
}

std::FILE* OpenForReading(const char* path) {
  // O_NONBLOCK keeps the open itself from waiting for a writer on a pipe.
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode) ||
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return nullptr;
  }
  std::FILE* file = ::fdopen(fd, "rb");
  if (file == nullptr) ::close(fd);
  return file;
}

}  // namespace codec
