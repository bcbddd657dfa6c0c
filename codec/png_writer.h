// Writes an image as an 8-bit RGBA PNG through libpng.
#pragma once

#include <string>

#include "codec/image_buffer.h"

namespace codec {

// Writes image `number` to `path`: IHDR 8/6/0/0/0, None filter only, zlib
// level 9, no ancillary chunk. Returns 1 on success; 0 when there is no such
// image, the file cannot be opened, or writing fails (what was written is
// removed then).
int WritePng(const ImageStore& store, int number, const std::string& path);

}  // namespace codec
