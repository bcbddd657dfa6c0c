// Numbered in-memory images with the drawing operations the codec uses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "codec/pixel_stream.h"

namespace codec {

inline constexpr int WorkImage = 10;
inline constexpr int kMaxImageSide = 32767;

enum class DrawMode : int { Default = 0, AlphaChannel = 8 };

// Pixel storage that a resize leaves unset, so that a loader which writes
// every byte costs no clearing pass (nor, in an unoptimised build, a loop
// over every byte). Small blocks come from the heap (fast reuse between
// loads) and hold whatever was there; blocks of kLazyZeroBytes or more are
// mapped from the system and read as 0 untouched, so the rows that a short
// or hostile file claims but never delivers cost no memory (the kernel
// backs a page only when it is written).
inline constexpr std::size_t kLazyZeroBytes = std::size_t(64) << 20;
inline bool StorageStartsZeroed(std::size_t bytes) { return bytes >= kLazyZeroBytes; }

// A byte block with the part of std::vector's interface the codec uses.
// Growing it (reserve, resize) throws std::bad_alloc when memory fails and
// then leaves it as it was.
class PixelBytes {
 public:
  using value_type = std::uint8_t;
  using iterator = std::uint8_t*;
  using const_iterator = const std::uint8_t*;

  PixelBytes() = default;
  PixelBytes(const PixelBytes& other);
  PixelBytes(PixelBytes&& other) noexcept { Swap(other); }
  PixelBytes& operator=(const PixelBytes& other);
  PixelBytes& operator=(PixelBytes&& other) noexcept;
  ~PixelBytes();

  std::size_t size() const { return m_size; }
  std::size_t capacity() const { return m_capacity; }
  bool empty() const { return m_size == 0; }
  std::uint8_t* data() { return m_data; }
  const std::uint8_t* data() const { return m_data; }
  iterator begin() { return m_data; }
  iterator end() { return m_data + m_size; }
  const_iterator begin() const { return m_data; }
  const_iterator end() const { return m_data + m_size; }
  std::uint8_t& operator[](std::size_t i) { return m_data[i]; }
  std::uint8_t operator[](std::size_t i) const { return m_data[i]; }

  // Room for `bytes` in all; the content stays.
  void reserve(std::size_t bytes);
  // The size becomes `bytes`; bytes beyond the old size are unset (0 in
  // storage that starts zeroed and was never written).
  void resize(std::size_t bytes);
  // `bytes` bytes, each `value`.
  void assign(std::size_t bytes, std::uint8_t value);
  void clear() { m_size = 0; }

  friend bool operator==(const PixelBytes& a, const PixelBytes& b);

 private:
  void Swap(PixelBytes& other) noexcept;

  std::uint8_t* m_data = nullptr;
  std::size_t m_size = 0;
  std::size_t m_capacity = 0;
};

// One image: W x H pixels of 24 or 32 bits (8 for a palette bitmap until
// drawing widens it). `pixels` holds W * H * 4 bytes, rows top-down, each
// pixel R, G, B, A in that order; images without alpha (depth under 32)
// hold A = 0. Use the accessors of ImageStore or ToRgba rather than the bytes.
struct Image {
  int width = 0;
  int height = 0;
  int depth = 32;          // 24: no alpha channel (reads as 0); 32: R, G, B, A
  bool drawable = true;    // false for icons: drawing on them cannot begin
  // The rows from the top that may hold something: a loader whose data
  // ended early sets it, and every byte below it is 0, so a reader may stop
  // there. At least the height unless a loader lowered it.
  int filledRows = kMaxImageSide;
  PixelBytes pixels;
};

// Bytes of an image of that size (W * H * 4); 0 when a side is not 1..32767.
std::size_t ImageBytes(int width, int height);

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
  // Hands image `number` out of the store (an empty image when there is none).
  Image Take(int number);
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
  // The image open for drawing, or null.
  const Image* DrawingImage() const { return m_drawing; }

  // Selects how SetPixel and GetPixel treat the channels; cheap enough to
  // call twice for every pixel.
  void SetDrawMode(DrawMode mode) {
    m_mode = mode;
    const bool alpha = mode == DrawMode::AlphaChannel;
    m_keepMask = alpha ? 0x00FFFFFFu : 0xFF000000u;
    m_takeMask = alpha ? (m_hasAlpha ? 0xFF000000u : 0u) : 0x00FFFFFFu;  // no alpha: A stays 0
    m_readMask = alpha ? 0xFFFFFFFFu : 0x00FFFFFFu;
  }
  DrawMode GetDrawMode() const { return m_mode; }
  // Default: R, G, B from bits 0-23, A kept. AlphaChannel: A from bits
  // 24-31, R, G, B kept. Only while drawing, inside the image.
  void SetPixel(int x, int y, ColourValue value) {
    std::uint8_t* p = PixelAt(x, y);
    const ColourValue old = Load(p);
    Store(p, (old & m_keepMask) | (value & m_takeMask));
  }
  // Default: R + G*256 + B*65536. AlphaChannel: also A*16777216 (0 for a
  // 24-bit image).
  ColourValue GetPixel(int x, int y) const { return Load(PixelAt(x, y)) & m_readMask; }

 private:
  std::uint8_t* PixelAt(int x, int y) const {
    return m_base + (static_cast<std::size_t>(y) * m_rowPixels + static_cast<std::size_t>(x)) * 4;
  }
  static ColourValue Load(const std::uint8_t* p) { return PackRgba(p[0], p[1], p[2], p[3]); }
  static void Store(std::uint8_t* p, ColourValue v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
  }
  void ForgetDrawing(const Image* image);

  std::map<int, std::unique_ptr<Image>> m_images;
  Image* m_drawing = nullptr;
  std::uint8_t* m_base = nullptr;
  std::size_t m_rowPixels = 0;
  bool m_hasAlpha = false;
  DrawMode m_mode = DrawMode::Default;
  ColourValue m_keepMask = 0xFF000000u;
  ColourValue m_takeMask = 0x00FFFFFFu;
  ColourValue m_readMask = 0x00FFFFFFu;
};

}  // namespace codec
