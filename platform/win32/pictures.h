// Pictures of the Win32 backend: checked RGBA pixmaps kept as premultiplied BGRA, shown through 32-bit DIB sections.
#pragma once

#include "platform/platform.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace platform::win32 {

// A picture in the layout a 32-bit top-down DIB section wants: B, G, R, A
// with the colours multiplied by alpha, as AlphaBlend and the image
// controls expect.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bgra;
};

// The largest side a picture may have.
inline constexpr int kMaxPictureSide = 1 << 15;

// The pixmap as a Picture; nothing when its size is not positive, too
// large, or does not match its bytes.
std::optional<Picture> PictureFromPixmap(const Pixmap& pixmap);

// A new 32-bit DIB section holding the picture; nullptr on failure. The
// caller owns it (DeleteObject).
HBITMAP CreateDibSection(const Picture& picture);

// Draws the picture with its alpha at (x, y) of the device context.
void DrawPicture(HDC dc, HBITMAP bitmap, int width, int height, int x, int y);

}  // namespace platform::win32
