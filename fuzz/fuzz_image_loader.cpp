// Loads arbitrary bytes as a picture, then reads its pixel stream back as the decoder would.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "codec/image_loader.h"
#include "codec/stream_decoder.h"

namespace {

// True when row `y` of the image holds only 0.
bool RowIsZero(const codec::Image& image, int y) {
  const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 4;
  const std::uint8_t* row = image.pixels.data() + static_cast<std::size_t>(y) * rowBytes;
  for (std::size_t i = 0; i < rowBytes; ++i) {
    if (row[i] != 0) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const codec::Result<codec::Image> loaded = codec::LoadImageMemory(data, size);
  if (!loaded.ok()) return 0;
  const codec::Image& image = loaded.value;
  // Whatever loads is within the budget, and holds nothing below the rows it filled.
  if (static_cast<std::uint64_t>(image.width) * static_cast<std::uint64_t>(image.height) >
      codec::kMaxPicturePixels) {
    std::abort();
  }
  if (image.filledRows < image.height &&
      (!RowIsZero(image, image.filledRows) || !RowIsZero(image, image.height - 1))) {
    std::abort();
  }
  (void)codec::DecodeText(image);
  return 0;
}
