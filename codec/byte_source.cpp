// Reading from a file or a memory block through one small interface.
#include "codec/byte_source.h"

#include <cstring>
#include <limits>

#include "sysio/files.h"

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

std::optional<std::uint64_t> BytesLeft(ByteSource& source) {
  if (source.file == nullptr) return source.position < source.size ? source.size - source.position : 0;
  const std::optional<std::uint64_t> size = sysio::RegularFileSize(source.file);
  const long position = std::ftell(source.file);
  if (!size || position < 0) return std::nullopt;
  const auto at = static_cast<std::uint64_t>(position);
  return at < *size ? *size - at : 0;
}

}  // namespace codec
