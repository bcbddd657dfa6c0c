// The encoded PNG: its chunks, header, filter bytes and samples.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/encode_stream.h"
#include "codec/png_writer.h"
#include "support/codec_fixtures.h"

namespace codec {
namespace {

using codec_fixtures::Bytes;

constexpr std::uint8_t kBlack[4] = {0, 0, 0, 0xFF};

std::vector<std::string> ChunkTypes(const Bytes& png) {
  std::vector<std::string> types;
  for (const auto& chunk : codec_fixtures::Chunks(png)) types.push_back(chunk.type);
  return types;
}

// The image is the file's only IHDR/IDAT/IEND, 8-bit RGBA, with filter byte
// 0 on every scanline; returns the inflated rows.
Bytes CheckStructure(const Bytes& png, int width, int height) {
  const auto chunks = codec_fixtures::Chunks(png);
  EXPECT_EQ(chunks.front().type, "IHDR");
  const Bytes ihdr = chunks.front().data;
  const Bytes expected{0, 0, std::uint8_t(width >> 8), std::uint8_t(width), 0, 0,
                       std::uint8_t(height >> 8), std::uint8_t(height), 8, 6, 0, 0, 0};
  EXPECT_EQ(ihdr, expected);
  for (const std::string& type : ChunkTypes(png)) {
    EXPECT_TRUE(type == "IHDR" || type == "IDAT" || type == "IEND") << type;
  }
  EXPECT_EQ(ChunkTypes(png).back(), "IEND");
  const std::size_t stride = std::size_t(width) * 4 + 1;
  const Bytes raw = codec_fixtures::InflateIdat(png, stride * std::size_t(height));
  EXPECT_EQ(raw.size(), stride * std::size_t(height));
  for (int y = 0; y < height && raw.size() == stride * std::size_t(height); ++y) {
    EXPECT_EQ(raw[std::size_t(y) * stride], 0) << "filter byte of row " << y;
  }
  return raw;
}

// The PNG bytes of an image, which must encode.
Bytes Encoded(const Image& image) {
  const Result<std::string> png = EncodePng(image);
  EXPECT_TRUE(png.ok());
  return Bytes(png.value.begin(), png.value.end());
}

TEST(EncodePng, WorkedExampleByteForByte) {
  PixelList pixels;
  ASSERT_EQ(ReadStreamBytes("Hi!", pixels).error, Error::None);
  const Result<Image> drawn = DrawStreamImage(pixels, 3);
  ASSERT_TRUE(drawn.ok());
  ASSERT_EQ((ImageSize{drawn.value.width, drawn.value.height}), (ImageSize{160, 50}));

  const Bytes raw = CheckStructure(Encoded(drawn.value), 160, 50);
  ASSERT_FALSE(raw.empty());
  const std::size_t stride = 160 * 4 + 1;
  const Bytes row1Start(raw.begin() + stride + 1, raw.begin() + stride + 1 + 32);
  const Bytes expected{0x00, 0x00, 0x00, 0xFF, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30,
                       0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x33, 0x5B, 0x3C,
                       0x23, 0x5D, 0x48, 0x69, 0x21, 0x00, 0x00, 0x00, 0x00, 0xFF};
  EXPECT_EQ(row1Start, expected);
  // Every other pixel is opaque black.
  for (int y = 0; y < 50; ++y) {
    for (int x = 0; x < 160; ++x) {
      if (y == 1 && x >= 1 && x <= 6) continue;
      const std::uint8_t* p = raw.data() + std::size_t(y) * stride + 1 + std::size_t(x) * 4;
      ASSERT_TRUE(std::equal(p, p + 4, kBlack)) << x << "," << y;
    }
  }
}

TEST(EncodePng, UntouchedImageIsOpaqueBlack) {
  ImageStore store;
  ASSERT_TRUE(store.CreateImage(WorkImage, 300, 7));
  const Bytes raw = CheckStructure(Encoded(*store.Find(WorkImage)), 300, 7);
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (i % (300 * 4 + 1) == 0) continue;
    ASSERT_EQ(raw[i], kBlack[(i % (300 * 4 + 1) - 1) % 4]) << i;
  }
}

TEST(EncodePng, ImageWhosePixelsDoNotMatchItsSizeIsRefused) {
  Image image;
  image.width = image.height = 16;
  EXPECT_EQ(EncodePng(image).error, Error::Damaged);
}

}  // namespace
}  // namespace codec
