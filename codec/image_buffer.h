// Numbered in-memory images with the drawing operations the codec uses.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "codec/pixel_stream.h"

namespace codec {

inline constexpr int WorkImage = 10;
inline constexpr int kMaxImageSide = 32767;

enum class DrawMode : int { Default = 0, AlphaChannel = 8 };

// One image: W x H pixels of 24 or 32 bits. The layout of `pixels` is the
// image buffer's own (documented in image_buffer.cpp); use the accessors.
struct Image {
  int width = 0;
  int height = 0;
  int depth = 32;          // 24: no alpha channel (reads as 0); 32: R, G, B, A
  bool drawable = true;    // false for icons: drawing on them cannot begin
  std::vector<std::uint8_t> pixels;
};

// Fills an RGBA buffer (top-down, 4 bytes a pixel) from an image; a 24-bit
// image gives alpha 255.
std::vector<std::uint8_t> ToRgba(const Image& image);

// The images of one run by number, with at most one drawing open.
class ImageStore {
 public:
  // Creates image `number` of W x H, depth 32, all pixels (0, 0, 0, 255),
  // replacing an old one. False when the size is not 1..32767 or memory fails.
  bool CreateImage(int number, int width, int height);
  // Puts a ready image under `number`, replacing an old one.
  void PutImage(int number, Image image);
  void FreeImage(int number);
  const Image* Find(int number) const;

  // 0 when no image of that number exists.
  int ImageWidth(int number) const;
  int ImageHeight(int number) const;

  // Opens image `number` for drawing in DrawMode Default; false (nothing
  // open) when there is no such image or it is not drawable. An image under
  // 24 bits is widened to 24 bits first.
  bool StartDrawing(int number);
  // Closes the drawing; harmless when none is open.
  void StopDrawing();
  bool Drawing() const { return m_drawing != nullptr; }
  int DrawingWidth() const;
  int DrawingHeight() const;

  void SetDrawMode(DrawMode mode) { m_mode = mode; }
  DrawMode GetDrawMode() const { return m_mode; }
  // Default: R, G, B from bits 0-23, A kept. AlphaChannel: A from bits
  // 24-31, R, G, B kept. Only while drawing, inside the image.
  void SetPixel(int x, int y, ColourValue value);
  // Default: R + G*256 + B*65536. AlphaChannel: also A*16777216 (0 for a
  // 24-bit image).
  ColourValue GetPixel(int x, int y) const;

 private:
  std::map<int, std::unique_ptr<Image>> m_images;
  Image* m_drawing = nullptr;
  DrawMode m_mode = DrawMode::Default;
};

}  // namespace codec
