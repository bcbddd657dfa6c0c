// Builds the pixel stream of a text and chooses the image size that holds it.
#include "codec/pixel_stream.h"

namespace codec {

void BeginStream(PixelList& pixels, std::uint64_t textBytes) {
  pixels.clear();
  char field[kLengthFieldWidth];
  std::uint64_t rest = textBytes;
  for (int i = kLengthFieldWidth - 1; i >= 0; --i) {
    field[i] = static_cast<char>('0' + rest % 10);
    rest /= 10;
  }
  for (int k = 0; k < kLengthFieldWidth; k += 4) {
    pixels.push_back(PackRgba(field[k], field[k + 1], field[k + 2], field[k + 3]));
  }
  pixels.push_back(StreamMarker);
}

void AppendStreamData(PixelList& pixels, std::span<const std::uint8_t> bytes) {
  const std::size_t whole = bytes.size() / 4;
  const std::size_t start = pixels.size();
  pixels.resize(start + (bytes.size() + 3) / 4);
  ColourValue* out = pixels.data() + start;
  const std::uint8_t* in = bytes.data();
  for (std::size_t i = 0; i < whole; ++i, in += 4) {
    out[i] = PackRgba(in[0], in[1], in[2], in[3]);
  }
  const std::size_t tail = bytes.size() % 4;
  if (tail != 0) {
    std::uint8_t last[4] = {0, 0, 0, 0};
    for (std::size_t i = 0; i < tail; ++i) last[i] = in[i];
    out[whole] = PackRgba(last[0], last[1], last[2], last[3]);
  }
}

PixelList BuildStream(std::span<const std::uint8_t> text) {
  PixelList pixels;
  pixels.reserve(StreamPixelCount(text.size()));
  BeginStream(pixels, text.size());
  AppendStreamData(pixels, text);
  return pixels;
}

std::optional<ImageSize> ChooseImageSize(std::uint64_t textBytes) {
  if (textBytes >= kStreamByteLimit) return std::nullopt;  // also keeps the sums below small
  const std::uint64_t streamByteCount = textBytes + kHeaderBytes;
  if (streamByteCount >= kStreamByteLimit) return std::nullopt;
  const std::uint64_t needed = StreamPixelCount(textBytes);
  for (const SizeBand& band : SizeBandTable) {
    const std::uint64_t holds = std::uint64_t(band.width - 1) * std::uint64_t(band.height - 1);
    if (streamByteCount <= band.maxStreamByteCount && needed <= holds) {
      return ImageSize{band.width, band.height};
    }
  }
  return std::nullopt;
}

}  // namespace codec
