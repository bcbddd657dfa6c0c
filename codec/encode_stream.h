// The byte-level steps of a text-to-image conversion: read, size, draw.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "codec/image_buffer.h"
#include "codec/pixel_stream.h"

namespace codec {

enum class ReadError { None, CannotOpen, CannotRead, TooLarge };

struct ReadResult {
  ReadError error = ReadError::None;
  std::uint64_t textBytes = 0;        // N
  std::uint64_t streamByteCount = 0;  // N + 20
};

// Reading steps: reads the whole file at `path` (opened for reading only)
// into `pixels` behind the LengthHeader and the StreamMarker. A file that
// is too large by its length is refused before it is read (TooLarge).
ReadResult ReadStreamSource(const std::string& path, PixelList& pixels);

// The same for a stream already open for reading (standard input), read to
// its end; TooLarge as soon as more than kMaxTextBytes arrive.
ReadResult ReadStreamFrom(std::FILE* file, PixelList& pixels);

// The same for bytes held in memory.
ReadResult ReadStreamBytes(std::string_view bytes, PixelList& pixels);

enum class DrawError { None, TooLarge, NoImage };

struct DrawResult {
  DrawError error = DrawError::None;
  ImageSize size;  // the image drawn when error is None
};

// Size and drawing steps: creates image `number` (WorkImage) of the size
// the text of `textBytes` bytes needs and draws the stream into it in both
// draw modes. TooLarge (no image made) when no band holds the text; NoImage
// when the image cannot be created.
DrawResult DrawStream(ImageStore& store, int number, const PixelList& pixels,
                      std::uint64_t textBytes);

}  // namespace codec
