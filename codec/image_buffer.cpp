// The numbered image store: creation, replacement and the drawing state.
#include "codec/image_buffer.h"

#include <cstdlib>
#include <new>
#include <utility>

#include "sysio/pages.h"

namespace codec {

namespace {
constexpr std::uint8_t kOpaque = 255;
constexpr std::size_t kAlphaOffset = 3;
}  // namespace

void* AllocatePixelBytes(std::size_t bytes) {
  if (!StorageStartsZeroed(bytes)) return std::malloc(bytes == 0 ? 1 : bytes);
  return sysio::MapZeroedPages(bytes);
}

void FreePixelBytes(void* p, std::size_t bytes) noexcept {
  if (p == nullptr) return;
  if (StorageStartsZeroed(bytes)) {
    sysio::UnmapPages(p, bytes);
  } else {
    std::free(p);
  }
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
