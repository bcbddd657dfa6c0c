// Pixmap checks, the BGRA conversion and the DIB sections behind image gadgets.
#include "platform/win32/pictures.h"

#include <cstring>

namespace platform::win32 {
namespace {

constexpr int kBytesPerPixel = 4;
constexpr unsigned kOpaque = 255;

std::uint8_t Premultiplied(std::uint8_t colour, std::uint8_t alpha) {
  return static_cast<std::uint8_t>((colour * alpha + kOpaque / 2) / kOpaque);
}

}  // namespace

std::optional<Picture> PictureFromPixmap(const Pixmap& pixmap) {
  if (pixmap.width <= 0 || pixmap.height <= 0) return std::nullopt;
  if (pixmap.width > kMaxPictureSide || pixmap.height > kMaxPictureSide) return std::nullopt;
  const std::size_t bytes = static_cast<std::size_t>(pixmap.width) * static_cast<std::size_t>(pixmap.height) *
                            kBytesPerPixel;
  if (pixmap.rgba.size() != bytes) return std::nullopt;
  Picture picture{pixmap.width, pixmap.height, std::vector<std::uint8_t>(bytes)};
  for (std::size_t i = 0; i < bytes; i += kBytesPerPixel) {
    const std::uint8_t alpha = pixmap.rgba[i + 3];
    picture.bgra[i] = Premultiplied(pixmap.rgba[i + 2], alpha);
    picture.bgra[i + 1] = Premultiplied(pixmap.rgba[i + 1], alpha);
    picture.bgra[i + 2] = Premultiplied(pixmap.rgba[i], alpha);
    picture.bgra[i + 3] = alpha;
  }
  return picture;
}

HBITMAP CreateDibSection(const Picture& picture) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr || bits == nullptr) return nullptr;
  std::memcpy(bits, picture.bgra.data(), picture.bgra.size());
  GdiFlush();
  return bitmap;
}

void DrawPicture(HDC dc, HBITMAP bitmap, int width, int height, int x, int y) {
  HDC source = CreateCompatibleDC(dc);
  if (source == nullptr) return;
  HGDIOBJ old = SelectObject(source, bitmap);
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  AlphaBlend(dc, x, y, width, height, source, 0, 0, width, height, blend);
  SelectObject(source, old);
  DeleteDC(source);
}

}  // namespace platform::win32
