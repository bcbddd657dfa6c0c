// Reads a text source into the pixel stream and draws the stream into an image.
#include "codec/encode_stream.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <span>

#include "codec/byte_source.h"

namespace codec {

namespace {

constexpr std::size_t kReadChunk = 1 << 16;  // a multiple of 4: pixels never straddle reads
static_assert(kReadChunk % 4 == 0);

ReadResult Finish(PixelList& pixels, std::uint64_t textBytes) {
  // The header was laid down for 0 bytes; now the length is known.
  PixelList header;
  BeginStream(header, textBytes);
  std::copy(header.begin(), header.end(), pixels.begin());
  return {ReadError::None, textBytes, textBytes + kHeaderBytes};
}

// True when the open file is a regular file longer than any band holds.
bool KnownTooLarge(std::FILE* file) {
  struct stat info {};
  if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  return static_cast<std::uint64_t>(info.st_size) > kMaxTextBytes;
}

}  // namespace

ReadResult ReadStreamFrom(std::FILE* file, PixelList& pixels) {
  BeginStream(pixels, 0);
  if (KnownTooLarge(file)) return {ReadError::TooLarge, 0, 0};
  std::array<std::uint8_t, kReadChunk> chunk;
  std::uint64_t total = 0;
  for (;;) {
    const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), file);
    total += got;
    if (total > kMaxTextBytes) {
      BeginStream(pixels, 0);
      return {ReadError::TooLarge, total, total + kHeaderBytes};
    }
    AppendStreamData(pixels, std::span<const std::uint8_t>(chunk.data(), got));
    if (got < chunk.size()) break;
  }
  if (std::ferror(file)) {
    BeginStream(pixels, 0);
    return {ReadError::CannotRead, 0, 0};
  }
  return Finish(pixels, total);
}

ReadResult ReadStreamSource(const std::string& path, PixelList& pixels) {
  std::FILE* file = OpenForReading(path.c_str());
  if (file == nullptr) {
    BeginStream(pixels, 0);
    return {ReadError::CannotOpen, 0, 0};
  }
  const ReadResult result = ReadStreamFrom(file, pixels);
  std::fclose(file);
  return result;
}

ReadResult ReadStreamBytes(std::string_view bytes, PixelList& pixels) {
  if (bytes.size() > kMaxTextBytes) {
    BeginStream(pixels, 0);
    return {ReadError::TooLarge, bytes.size(), bytes.size() + kHeaderBytes};
  }
  pixels.reserve(StreamPixelCount(bytes.size()));
  BeginStream(pixels, bytes.size());
  AppendStreamData(pixels, std::span<const std::uint8_t>(
                               reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  return {ReadError::None, bytes.size(), bytes.size() + kHeaderBytes};
}

DrawResult DrawStream(ImageStore& store, int number, const PixelList& pixels,
                      std::uint64_t textBytes) {
  const std::optional<ImageSize> size = ChooseImageSize(textBytes);
  if (!size || pixels.size() > StreamPixelCount(textBytes)) return {DrawError::TooLarge, {}};
  if (!store.CreateImage(number, size->width, size->height) || !store.StartDrawing(number)) {
    return {DrawError::NoImage, {}};
  }
  // Stream pixel j lies at (1 + j % (W - 1), 1 + j / (W - 1)).
  std::size_t next = 0;
  for (int y = 1; y < size->height && next < pixels.size(); ++y) {
    for (int x = 1; x < size->width && next < pixels.size(); ++x, ++next) {
      store.SetDrawMode(DrawMode::Default);
      store.SetPixel(x, y, pixels[next]);
      store.SetDrawMode(DrawMode::AlphaChannel);
      store.SetPixel(x, y, pixels[next]);
    }
  }
  store.StopDrawing();
  return {DrawError::None, *size};
}

}  // namespace codec
