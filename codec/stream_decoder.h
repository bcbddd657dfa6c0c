// Reads the pixel stream of an image back into the text's bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "codec/image_buffer.h"

namespace codec {

// Walks `image` in stream order (rows 1.., columns 1..) and returns
// DecodedText: the bytes after the stream marker up to the stream's end,
// zero bytes left out; an image without marker is read to its end. Empty
// for an image that cannot be drawn on (an icon). An image without alpha
// reads as alpha 0.
std::string DecodeText(const Image& image);

// The signed 64-bit number at the start of text: blanks and tabs skipped,
// one optional sign, "$" hexadecimal, "%" binary, else decimal; wraps on
// overflow; no digits give 0.
std::int64_t ParseNumber(std::string_view text);

}  // namespace codec
