// The written PNG: its chunks, header, filter bytes and samples, and failures that leave no file.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>

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

TEST(WritePng, WorkedExampleByteForByte) {
  fake::TempDir dir;
  ImageStore store;
  PixelList pixels;
  ASSERT_EQ(ReadStreamBytes("Hi!", pixels).error, ReadError::None);
  ASSERT_EQ(DrawStream(store, WorkImage, pixels, 3).size, (ImageSize{160, 50}));
  ASSERT_EQ(WritePng(store, WorkImage, dir.File("hi.png")), 1);

  const Bytes raw = CheckStructure(codec_fixtures::ReadBytes(dir.File("hi.png")), 160, 50);
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

TEST(WritePng, UntouchedImageIsOpaqueBlack) {
  fake::TempDir dir;
  ImageStore store;
  ASSERT_TRUE(store.CreateImage(WorkImage, 300, 7));
  ASSERT_EQ(WritePng(store, WorkImage, dir.File("black.png")), 1);
  const Bytes raw = CheckStructure(codec_fixtures::ReadBytes(dir.File("black.png")), 300, 7);
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (i % (300 * 4 + 1) == 0) continue;
    ASSERT_EQ(raw[i], kBlack[(i % (300 * 4 + 1) - 1) % 4]) << i;
  }
}

TEST(WritePng, FailuresReturnZeroAndLeaveNoFile) {
  fake::TempDir dir;
  ImageStore store;
  EXPECT_EQ(WritePng(store, WorkImage, dir.File("none.png")), 0);  // no image
  EXPECT_FALSE(std::filesystem::exists(dir.File("none.png")));
  ASSERT_TRUE(store.CreateImage(WorkImage, 16, 16));
  EXPECT_EQ(WritePng(store, WorkImage, dir.File("missing/folder.png")), 0);
  EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));
  EXPECT_EQ(WritePng(store, WorkImage, dir.Root().string()), 0);  // a folder
  EXPECT_TRUE(std::filesystem::is_directory(dir.Root()));
}

TEST(WritePng, FullDiskReturnsZero) {
  struct stat info {};
  if (stat("/dev/full", &info) != 0) GTEST_SKIP() << "no /dev/full";
  ImageStore store;
  ASSERT_TRUE(store.CreateImage(WorkImage, 640, 400));
  EXPECT_EQ(WritePng(store, WorkImage, "/dev/full"), 0);
  EXPECT_EQ(stat("/dev/full", &info), 0);  // a device written into is never removed
}

TEST(WritePng, WriteErrorOnARegularFileRemovesIt) {
  fake::TempDir dir;
  ImageStore store;
  ASSERT_TRUE(store.CreateImage(WorkImage, 256, 256));
  ASSERT_TRUE(store.StartDrawing(WorkImage));
  std::uint32_t noise = 12345;  // incompressible pixels: the file outgrows the limit below
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) {
      noise = noise * 1103515245u + 12345u;
      store.SetPixel(x, y, noise >> 8);
    }
  }
  store.StopDrawing();
  // A file-size limit makes writes fail part-way, as a full disk does.
  rlimit old {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 16 * 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const int result = WritePng(store, WorkImage, dir.File("partial.png"));
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(std::filesystem::exists(dir.File("partial.png")));
}

}  // namespace
}  // namespace codec
