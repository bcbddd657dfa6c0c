// The data an image loader reads: an open file or a block of memory, behind one reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>

namespace codec {

// Either `file` (open for reading raw bytes, owned by the caller) or the
// `size` bytes at `data`; `position` is the read position in the block.
struct ByteSource {
  std::FILE* file = nullptr;
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  std::size_t position = 0;
};

// Copies up to `count` bytes from the read position to `out` and advances
// it; returns how many were copied (fewer at the end of the data or on a
// read error).
std::size_t ReadBytes(ByteSource& source, void* out, std::size_t count);

// Moves the read position to `offset` bytes from the start; false when the
// source cannot go there (beyond a block's end, or a file that cannot seek).
bool SeekTo(ByteSource& source, std::uint64_t offset);

// How many bytes lie between the read position and the end of the data, or
// nothing when that cannot be told (a file that is not a regular file).
std::optional<std::uint64_t> BytesLeft(ByteSource& source);

}  // namespace codec
