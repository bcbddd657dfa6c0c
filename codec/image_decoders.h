// The image decoders behind LoadImageFile and LoadImageMemory, each over a ByteSource.
#pragma once

#include <cstdint>

#include "codec/byte_source.h"
#include "codec/image_buffer.h"
#include "codec/image_loader.h"

namespace codec {

enum class DecodeOutcome {
  Declined,  // not this decoder's data (or its header is damaged): try the next one
  Loaded,    // `image` is filled; damaged image data leaves the rest of its pixels 0
  Failed,    // accepted, but no image could be made: the load fails
  Unreadable,  // the data cannot be read again from its start (a pipe): the load fails
  TooLarge,    // accepted, but the picture is over the loaders' limits: the load fails
  OutOfMemory,  // accepted, but memory for it could not be had: the load fails
};

// Each reads from the source's current position, which must be 0.

// PNG through libpng: any colour type and depth, as 24 bits (RGB) or 32
// (with alpha); 16-bit samples stripped to 8. Ancillary chunks other than
// tRNS are skipped unread.
DecodeOutcome ReadPng(ByteSource& source, Image& image);

// JPEG through libjpeg (data beginning FF D8), as a 24-bit image.
DecodeOutcome ReadJpeg(ByteSource& source, Image& image);

// Windows bitmap ("BM"): uncompressed 24- and 32-bit, and 8-bit palette
// (depth 8, widened to 24 when drawing begins). Failed for any other kind.
DecodeOutcome ReadBmp(ByteSource& source, Image& image);

// Icon file (00 00 01 00): an image of its first entry's size and depth on
// which drawing cannot begin; its pixels are not decoded (all 0).
DecodeOutcome ReadIcon(ByteSource& source, Image& image);

// Whether a picture of width x height is within the loaders' limits: each
// side at most kMaxImageSide and at most kMaxPicturePixels pixels in all.
// Each decoder asks as soon as its header gives the size.
bool WithinPictureBudget(std::uint64_t width, std::uint64_t height);

// Sets `image` to W x H of `depth` with every byte 0 (or unset when not
// `cleared`: the caller writes every byte), with room for `slack` more
// bytes. Loaded; TooLarge (nothing taken) beyond WithinPictureBudget;
// Failed when a side is under 1; OutOfMemory when memory fails.
DecodeOutcome AllocateImage(Image& image, int width, int height, int depth, std::size_t slack = 0,
                            bool cleared = true);

}  // namespace codec
