// Encodes an image as an 8-bit RGBA PNG through libpng.
#pragma once

#include <string>

#include "codec/codec_error.h"
#include "codec/image_buffer.h"

namespace codec {

// The bytes of `image` as a PNG: IHDR 8/6/0/0/0 (an image without alpha
// gets alpha 255), None filter only, zlib level 9, no ancillary chunk.
// Damaged for an image whose pixels do not match its size, OutOfMemory when
// libpng or the output cannot get memory.
Result<std::string> EncodePng(const Image& image);

}  // namespace codec
