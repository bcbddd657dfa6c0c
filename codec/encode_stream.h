// The byte-level steps of a text-to-image conversion: read, size, draw.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "codec/codec_error.h"
#include "codec/image_buffer.h"
#include "codec/pixel_stream.h"

namespace codec {

// What reading a text gave: CannotOpen, CannotRead or TooLarge on failure.
struct TextRead {
  Error error = Error::None;
  std::uint64_t textBytes = 0;        // N
  std::uint64_t streamByteCount = 0;  // N + 20
};

// Reading steps: reads the whole file at `path` (opened for reading only)
// into `pixels` behind the LengthHeader and the StreamMarker. A file that
// is too large by its length is refused before it is read (TooLarge).
TextRead ReadStreamSource(const std::string& path, PixelList& pixels);

// The same for a stream already open for reading (standard input), read to
// its end; TooLarge as soon as more than kMaxTextBytes arrive.
TextRead ReadStreamFrom(std::FILE* file, PixelList& pixels);

// The same for bytes held in memory.
TextRead ReadStreamBytes(std::string_view bytes, PixelList& pixels);

// Size and drawing steps: the image of the size the text of `textBytes`
// bytes needs (every pixel opaque black) with the stream drawn into it in
// both draw modes. TooLarge when no band holds the text, OutOfMemory when
// the image cannot be made.
Result<Image> DrawStreamImage(const PixelList& pixels, std::uint64_t textBytes);

}  // namespace codec
