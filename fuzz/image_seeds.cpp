// Writes small seed pictures for fuzz_image_loader into the folder named on the command line.
#include <cstdio>
#include <string>

#include "codec/encode_stream.h"
#include "codec/image_buffer.h"
#include "codec/png_writer.h"

namespace {

constexpr int kNumber = 1;

// A picture holding the pixel stream of `text`, as a text-to-picture run draws it.
bool WriteStreamPng(const std::string& text, const std::string& path) {
  codec::ImageStore store;
  codec::PixelList pixels;
  const codec::ReadResult read = codec::ReadStreamBytes(text, pixels);
  if (read.error != codec::ReadError::None) return false;
  if (codec::DrawStream(store, kNumber, pixels, read.textBytes).error != codec::DrawError::None) {
    return false;
  }
  return codec::WritePng(store, kNumber, path) == 1;
}

// A plain picture of W x H with a simple pattern and no stream.
bool WritePatternPng(int width, int height, const std::string& path) {
  codec::ImageStore store;
  if (!store.CreateImage(kNumber, width, height) || !store.StartDrawing(kNumber)) return false;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) store.SetPixel(x, y, codec::PackRgba(x * 40, y * 40, 99, 0));
  }
  store.StopDrawing();
  return codec::WritePng(store, kNumber, path) == 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  const bool ok = WriteStreamPng("Hello", folder + "/stream_short.png") &&
                  WriteStreamPng(std::string(200, 'x') + "\r\n\xE9t\xE9", folder + "/stream_long.png") &&
                  WritePatternPng(3, 2, folder + "/pattern_3x2.png") &&
                  WritePatternPng(1, 1, folder + "/pattern_1x1.png");
  return ok ? 0 : 1;
}
