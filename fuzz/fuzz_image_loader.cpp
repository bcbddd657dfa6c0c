// Loads arbitrary bytes as a picture, then reads its pixel stream back as the decoder would.
#include <cstddef>
#include <cstdint>

#include "codec/image_loader.h"
#include "codec/stream_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr int kNumber = 1;
  codec::ImageStore store;
  if (!codec::LoadImageMemory(store, kNumber, data, size)) return 0;
  if (store.StartDrawing(kNumber)) (void)codec::DecodeStream(store);
  store.StopDrawing();
  return 0;
}
