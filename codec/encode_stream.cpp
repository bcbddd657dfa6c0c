// Reads a text source into the pixel stream and draws the stream into an image.
#include "codec/encode_stream.h"

#include <algorithm>
#include <array>
#include <span>

#include "sysio/files.h"

namespace codec {

namespace {

constexpr std::size_t kReadChunk = 1 << 16;  // a multiple of 4: pixels never straddle reads
static_assert(kReadChunk % 4 == 0);

TextRead Finish(PixelList& pixels, std::uint64_t textBytes) {
  // The header was laid down for 0 bytes; now the length is known.
  PixelList header;
  BeginStream(header, textBytes);
  std::copy(header.begin(), header.end(), pixels.begin());
  return {Error::None, textBytes, textBytes + kHeaderBytes};
}

// True when the open file is a regular file longer than any band holds.
bool KnownTooLarge(std::FILE* file) {
  const std::optional<std::uint64_t> size = sysio::RegularFileSize(file);
  return size && *size > kMaxTextBytes;
}

}  // namespace

TextRead ReadStreamFrom(std::FILE* file, PixelList& pixels) {
  BeginStream(pixels, 0);
  if (KnownTooLarge(file)) return {Error::TooLarge, 0, 0};
  std::array<std::uint8_t, kReadChunk> chunk;
  std::uint64_t total = 0;
  for (;;) {
    const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), file);
    total += got;
    if (total > kMaxTextBytes) {
      BeginStream(pixels, 0);
      return {Error::TooLarge, total, total + kHeaderBytes};
    }
    AppendStreamData(pixels, std::span<const std::uint8_t>(chunk.data(), got));
    if (got < chunk.size()) break;
  }
  if (std::ferror(file)) {
    BeginStream(pixels, 0);
    return {Error::CannotRead, 0, 0};
  }
  return Finish(pixels, total);
}

TextRead ReadStreamSource(const std::string& path, PixelList& pixels) {
  std::FILE* file = sysio::OpenForReading(path);
  if (file == nullptr) {
    BeginStream(pixels, 0);
    return {Error::CannotOpen, 0, 0};
  }
  const TextRead result = ReadStreamFrom(file, pixels);
  std::fclose(file);
  return result;
}

TextRead ReadStreamBytes(std::string_view bytes, PixelList& pixels) {
  if (bytes.size() > kMaxTextBytes) {
    BeginStream(pixels, 0);
    return {Error::TooLarge, bytes.size(), bytes.size() + kHeaderBytes};
  }
  pixels.reserve(StreamPixelCount(bytes.size()));
  BeginStream(pixels, bytes.size());
  AppendStreamData(pixels, std::span<const std::uint8_t>(
                               reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  return {Error::None, bytes.size(), bytes.size() + kHeaderBytes};
}

Result<Image> DrawStreamImage(const PixelList& pixels, std::uint64_t textBytes) {
  const std::optional<ImageSize> size = ChooseImageSize(textBytes);
  if (!size || pixels.size() > StreamPixelCount(textBytes)) return Result<Image>::Failure(Error::TooLarge);
  ImageStore store;
  if (!store.CreateImage(WorkImage, size->width, size->height) || !store.StartDrawing(WorkImage)) {
    return Result<Image>::Failure(Error::OutOfMemory);
  }
  for (std::size_t j = 0; j < pixels.size(); ++j) {
    const PixelPosition at = StreamPosition(j, size->width);
    store.SetDrawMode(DrawMode::Default);
    store.SetPixel(at.x, at.y, pixels[j]);
    store.SetDrawMode(DrawMode::AlphaChannel);
    store.SetPixel(at.x, at.y, pixels[j]);
  }
  store.StopDrawing();
  return Result<Image>::Of(store.Take(WorkImage));
}

}  // namespace codec
