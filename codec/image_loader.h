// Loads image files and in-memory pictures (PNG, JPEG, BMP, icons) as image values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "codec/codec_error.h"
#include "codec/image_buffer.h"

namespace codec {

// The largest picture the loaders take, in pixels: 64 Mi (8192 x 8192).
// The program's own pictures are at most 1280 x 1024; screens make up to
// 33 megapixels (8K), two 8K screens side by side 66.4, and cameras that
// save PNGs up to about 61 (9504 x 6336): all fit. A loaded picture costs
// 4 bytes a pixel and the text read from it up to 4 more, so a picture at
// the budget decodes in about 512 MiB; a larger claim, such as a small
// file whose header names 32767 x 32767 (4 GiB of pixels), is refused as
// TooLarge before any pixel memory is taken.
inline constexpr std::uint64_t kMaxPicturePixels = std::uint64_t(1) << 26;

// Loads the picture in the file at `path`: PNG, JPEG, Windows bitmap or
// icon. CannotOpen (errno tells why) when the file cannot be opened for
// reading (a pipe is never waited for, a folder is refused); NotAPicture
// when no loader accepts the data; TooLarge when its header names a side
// over kMaxImageSide or more than kMaxPicturePixels pixels; OutOfMemory
// when the memory for its pixels, or the decoder's own (capped) working
// memory, cannot be had; Damaged when a loader accepts it but can make no
// image. Damaged pixel data after a good header still loads: the pixels it
// did not deliver are 0. A JPEG's rows end at the first sign that its data
// ran out or hit a marker.
Result<Image> LoadImageFile(const std::string& path);

// The same for `size` bytes at `data`.
Result<Image> LoadImageMemory(const void* data, std::size_t size);

}  // namespace codec
