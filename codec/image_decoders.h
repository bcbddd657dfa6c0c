// The image decoders behind LoadImageFile and LoadImageMemory, each over a ByteSource.
#pragma once

#include "codec/byte_source.h"
#include "codec/image_buffer.h"

namespace codec {

enum class DecodeOutcome {
  Declined,  // not this decoder's data (or its header is damaged): try the next one
  Loaded,    // `image` is filled; damaged image data leaves the rest of its pixels 0
  Failed,    // accepted, but no image could be made: the load fails
  Unreadable,  // the data cannot be read again from its start (a pipe): the load fails
};

// Each reads from the source's current position, which must be 0.

// PNG through libpng: any colour type and depth, as 24 bits (RGB) or 32
// (with alpha); 16-bit samples stripped to 8; sides over 32767 declined.
DecodeOutcome ReadPng(ByteSource& source, Image& image);

// JPEG through libjpeg (data beginning FF D8), as a 24-bit image.
DecodeOutcome ReadJpeg(ByteSource& source, Image& image);

// Windows bitmap ("BM"): uncompressed 24- and 32-bit, and 8-bit palette
// (depth 8, widened to 24 when drawing begins). Failed for any other kind.
DecodeOutcome ReadBmp(ByteSource& source, Image& image);

// Icon file (00 00 01 00): an image of its first entry's size and depth on
// which drawing cannot begin; its pixels are not decoded (all 0).
DecodeOutcome ReadIcon(ByteSource& source, Image& image);

// Sets `image` to W x H of `depth` with every byte 0 (or unset when not
// `cleared`: the caller writes every byte), with room for `slack` more
// bytes; false when a side is not 1..32767 or memory fails.
bool AllocateImage(Image& image, int width, int height, int depth, std::size_t slack = 0,
                   bool cleared = true);

}  // namespace codec
