// Pixel storage and the numbered image store: creation, replacement and the drawing state.
#include "codec/image_buffer.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "sysio/pages.h"

namespace codec {

namespace {

constexpr std::uint8_t kOpaque = 255;
constexpr std::size_t kAlphaOffset = 3;

// A block of `bytes` (at least 1): from the heap, or mapped pages that read
// as 0 for a large one. nullptr when memory fails.
std::uint8_t* AllocateBlock(std::size_t bytes) {
  void* p = StorageStartsZeroed(bytes) ? sysio::MapZeroedPages(bytes)
                                       : std::malloc(bytes == 0 ? 1 : bytes);
  return static_cast<std::uint8_t*>(p);
}

void FreeBlock(std::uint8_t* p, std::size_t bytes) noexcept {
  if (p == nullptr) return;
  if (StorageStartsZeroed(bytes)) {
    sysio::UnmapPages(p, bytes);
  } else {
    std::free(p);
  }
}

}  // namespace

PixelBytes::PixelBytes(const PixelBytes& other) {
  if (other.m_size == 0) return;
  reserve(other.m_size);
  std::memcpy(m_data, other.m_data, other.m_size);
  m_size = other.m_size;
}

PixelBytes& PixelBytes::operator=(const PixelBytes& other) {
  if (this != &other) {
    PixelBytes copy(other);
    Swap(copy);
  }
  return *this;
}

PixelBytes& PixelBytes::operator=(PixelBytes&& other) noexcept {
  PixelBytes taken(std::move(other));
  Swap(taken);
  return *this;
}

PixelBytes::~PixelBytes() { FreeBlock(m_data, m_capacity); }

void PixelBytes::Swap(PixelBytes& other) noexcept {
  std::swap(m_data, other.m_data);
  std::swap(m_size, other.m_size);
  std::swap(m_capacity, other.m_capacity);
}

void PixelBytes::reserve(std::size_t bytes) {
  if (bytes <= m_capacity) return;
  std::uint8_t* block = AllocateBlock(bytes);
  if (block == nullptr) throw std::bad_alloc();
  if (m_size != 0) std::memcpy(block, m_data, m_size);
  FreeBlock(m_data, m_capacity);
  m_data = block;
  m_capacity = bytes;
}

void PixelBytes::resize(std::size_t bytes) {
  if (bytes > m_capacity) reserve(bytes);
  m_size = bytes;
}

void PixelBytes::assign(std::size_t bytes, std::uint8_t value) {
  resize(bytes);
  if (bytes != 0) std::memset(m_data, value, bytes);
}

bool operator==(const PixelBytes& a, const PixelBytes& b) {
  return a.m_size == b.m_size && (a.m_size == 0 || std::memcmp(a.m_data, b.m_data, a.m_size) == 0);
}

std::size_t ImageBytes(int width, int height) {
  if (width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide) return 0;
  return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
}

std::vector<std::uint8_t> ToRgba(const Image& image) {
  std::vector<std::uint8_t> rgba(image.pixels.begin(), image.pixels.end());
  if (image.depth < 32) {
    for (std::size_t i = kAlphaOffset; i < rgba.size(); i += 4) rgba[i] = kOpaque;
  }
  return rgba;
}

bool ImageStore::CreateImage(int number, int width, int height) {
  const std::size_t bytes = ImageBytes(width, height);
  FreeImage(number);
  if (bytes == 0) return false;
  auto image = std::make_unique<Image>();
  image->width = width;
  image->height = height;
  image->depth = 32;
  try {
    image->pixels.resize(bytes);  // unset: filled in one pass below
  } catch (const std::bad_alloc&) {
    return false;
  }
  std::uint8_t* p = image->pixels.data();
  for (std::size_t i = 0; i < bytes; i += 4, p += 4) {
    p[0] = p[1] = p[2] = 0;
    p[kAlphaOffset] = kOpaque;
  }
  m_images[number] = std::move(image);
  return true;
}

void ImageStore::PutImage(int number, Image image) {
  FreeImage(number);
  m_images[number] = std::make_unique<Image>(std::move(image));
}

void ImageStore::FreeImage(int number) {
  auto it = m_images.find(number);
  if (it == m_images.end()) return;
  ForgetDrawing(it->second.get());
  m_images.erase(it);
}

Image ImageStore::Take(int number) {
  auto it = m_images.find(number);
  if (it == m_images.end()) return {};
  ForgetDrawing(it->second.get());
  Image image = std::move(*it->second);
  m_images.erase(it);
  return image;
}

void ImageStore::ForgetDrawing(const Image* image) {
  if (m_drawing == image) StopDrawing();
}

const Image* ImageStore::Find(int number) const {
  auto it = m_images.find(number);
  return it == m_images.end() ? nullptr : it->second.get();
}

int ImageStore::ImageWidth(int number) const {
  const Image* image = Find(number);
  return image ? image->width : 0;
}

int ImageStore::ImageHeight(int number) const {
  const Image* image = Find(number);
  return image ? image->height : 0;
}

bool ImageStore::StartDrawing(int number) {
  StopDrawing();
  auto it = m_images.find(number);
  if (it == m_images.end() || !it->second->drawable) return false;
  Image& image = *it->second;
  if (image.pixels.size() != ImageBytes(image.width, image.height)) return false;
  if (image.depth < 24) image.depth = 24;  // the 24-bit copy: pixels are already widened
  image.filledRows = image.height;          // drawing may set any row
  m_drawing = &image;
  m_base = image.pixels.data();
  m_rowPixels = static_cast<std::size_t>(image.width);
  m_hasAlpha = image.depth == 32;
  SetDrawMode(DrawMode::Default);
  return true;
}

void ImageStore::StopDrawing() {
  m_drawing = nullptr;
  m_base = nullptr;
  m_rowPixels = 0;
  m_hasAlpha = false;
  SetDrawMode(DrawMode::Default);
}

int ImageStore::DrawingWidth() const { return m_drawing ? m_drawing->width : 0; }
int ImageStore::DrawingHeight() const { return m_drawing ? m_drawing->height : 0; }

}  // namespace codec
