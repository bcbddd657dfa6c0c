// Loads image files and in-memory pictures (PNG, JPEG, BMP, icons) as image values.
#pragma once

#include <cstddef>
#include <string>

#include "codec/codec_error.h"
#include "codec/image_buffer.h"

namespace codec {

// Loads the picture in the file at `path`: PNG, JPEG, Windows bitmap or
// icon. CannotOpen (errno tells why) when the file cannot be opened for
// reading (a pipe is never waited for, a folder is refused); NotAPicture
// when no loader accepts the data; Damaged when one accepts it but can make
// no image. Damaged pixel data after a good header still loads: the pixels
// it did not deliver are 0.
Result<Image> LoadImageFile(const std::string& path);

// The same for `size` bytes at `data`.
Result<Image> LoadImageMemory(const void* data, std::size_t size);

}  // namespace codec
