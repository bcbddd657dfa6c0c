// Reading from a file or a memory block through one small interface.
#include "codec/byte_source.h"

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

}  // namespace codec
