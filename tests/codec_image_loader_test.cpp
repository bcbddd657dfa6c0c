// Loading: every PNG colour type and depth, interlaced twins, damaged data, bitmaps, icons, JPEG.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <jpeglib.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "codec/image_loader.h"
#include "codec/png_writer.h"
#include "codec/stream_decoder.h"
#include "support/codec_fixtures.h"
#include "support/hostile_pictures.h"
#include "support/process_memory.h"

namespace codec {
namespace {

using codec_fixtures::Bytes;
using codec_fixtures::PngSpec;

// Puts a load's image under WorkImage as the desktop program keeps it;
// false (and no image) when the load failed.
bool LoadInto(ImageStore& store, Result<Image> loaded) {
  store.FreeImage(WorkImage);
  if (!loaded.ok()) return false;
  store.PutImage(WorkImage, std::move(loaded.value));
  return true;
}

std::uint8_t Pattern(int x, int y, int channel) {
  return static_cast<std::uint8_t>(x * 37 + y * 101 + channel * 53 + 7);
}

struct Rgba {
  std::uint8_t r, g, b, a;
  friend bool operator==(const Rgba&, const Rgba&) = default;
};

// A fixture kind: how its samples are made and what each pixel must load as.
struct Kind {
  const char* name;
  int colourType;
  int bitDepth;
  int depth;  // of the loaded image
  bool withTransparency;
};

const std::vector<png_color> kPalette{{10, 20, 30}, {200, 100, 50}, {0, 255, 1}, {7, 8, 9}};
const Bytes kPaletteAlpha{0, 128, 255};  // entry 3 has none: opaque

int Channels(int colourType) {
  switch (colourType) {
    case PNG_COLOR_TYPE_GRAY: return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;  // palette index
  }
}

std::uint8_t Sample(const Kind& kind, int x, int y, int c) {
  if (kind.colourType == PNG_COLOR_TYPE_PALETTE) return Pattern(x, y, 0) % kPalette.size();
  if (kind.bitDepth == 1) return Pattern(x, y, 0) & 1;
  return Pattern(x, y, c);
}

PngSpec MakeSpec(const Kind& kind, int width, int height, bool interlaced) {
  PngSpec spec;
  spec.width = width;
  spec.height = height;
  spec.colourType = kind.colourType;
  spec.bitDepth = kind.bitDepth;
  spec.interlaced = interlaced;
  if (kind.colourType == PNG_COLOR_TYPE_PALETTE) spec.palette = kPalette;
  if (kind.withTransparency) spec.transparency = kPaletteAlpha;
  const int channels = Channels(kind.colourType);
  for (int y = 0; y < height; ++y) {
    Bytes row;
    if (kind.bitDepth == 1) {
      row.assign((width + 7) / 8, 0);
      for (int x = 0; x < width; ++x) row[x / 8] |= Sample(kind, x, y, 0) << (7 - x % 8);
    }
    for (int x = 0; x < width && kind.bitDepth != 1; ++x) {
      for (int c = 0; c < channels; ++c) {
        row.push_back(Sample(kind, x, y, c));
        if (kind.bitDepth == 16) row.push_back(static_cast<std::uint8_t>(~Sample(kind, x, y, c)));
      }
    }
    spec.rows.push_back(row);
  }
  return spec;
}

// What GetPixel must give for pixel (x, y): R, G, B and the alpha read in
// AlphaChannel mode (0 for images without alpha).
Rgba Expected(const Kind& kind, int x, int y) {
  const auto s = [&](int c) { return Sample(kind, x, y, c); };
  switch (kind.colourType) {
    case PNG_COLOR_TYPE_GRAY: {
      const std::uint8_t grey = kind.bitDepth == 1 ? std::uint8_t(s(0) * 255) : s(0);
      return {grey, grey, grey, 0};
    }
    case PNG_COLOR_TYPE_GRAY_ALPHA: return {s(0), s(0), s(0), s(1)};
    case PNG_COLOR_TYPE_RGB: return {s(0), s(1), s(2), 0};
    case PNG_COLOR_TYPE_RGB_ALPHA: return {s(0), s(1), s(2), s(3)};
    default: {
      const std::size_t i = s(0);
      const std::uint8_t alpha =
          !kind.withTransparency ? 0 : i < kPaletteAlpha.size() ? kPaletteAlpha[i] : 255;
      return {kPalette[i].red, kPalette[i].green, kPalette[i].blue, alpha};
    }
  }
}

Rgba PixelOf(ImageStore& store, int x, int y) {
  store.SetDrawMode(DrawMode::AlphaChannel);
  const ColourValue v = store.GetPixel(x, y);
  return {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
}

const std::vector<Kind> kKinds{
    {"grey 8", PNG_COLOR_TYPE_GRAY, 8, 24, false},
    {"grey 16", PNG_COLOR_TYPE_GRAY, 16, 24, false},
    {"grey 1", PNG_COLOR_TYPE_GRAY, 1, 24, false},
    {"RGB 8", PNG_COLOR_TYPE_RGB, 8, 24, false},
    {"RGB 16", PNG_COLOR_TYPE_RGB, 16, 24, false},
    {"palette", PNG_COLOR_TYPE_PALETTE, 8, 24, false},
    {"palette with tRNS", PNG_COLOR_TYPE_PALETTE, 8, 32, true},
    {"grey alpha 8", PNG_COLOR_TYPE_GRAY_ALPHA, 8, 32, false},
    {"grey alpha 16", PNG_COLOR_TYPE_GRAY_ALPHA, 16, 32, false},
    {"RGBA 8", PNG_COLOR_TYPE_RGB_ALPHA, 8, 32, false},
    {"RGBA 16", PNG_COLOR_TYPE_RGB_ALPHA, 16, 32, false},
};

TEST(LoadImage, EveryColourTypeDepthAndInterlaceGivesItsTruePixels) {
  fake::TempDir dir;
  constexpr int kWidth = 13, kHeight = 11;  // every Adam7 pass holds pixels
  for (const Kind& kind : kKinds) {
    for (bool interlaced : {false, true}) {
      SCOPED_TRACE(std::string(kind.name) + (interlaced ? " interlaced" : ""));
      const Bytes png = codec_fixtures::MakePng(MakeSpec(kind, kWidth, kHeight, interlaced));
      ASSERT_FALSE(png.empty());
      codec_fixtures::WriteBytes(dir.File("fixture.png"), png);
      ImageStore fromFile, fromMemory;
      ASSERT_TRUE(LoadInto(fromFile, LoadImageFile(dir.File("fixture.png"))));
      ASSERT_TRUE(LoadInto(fromMemory, LoadImageMemory(png.data(), png.size())));
      for (ImageStore* store : {&fromFile, &fromMemory}) {
        EXPECT_EQ(store->Find(WorkImage)->depth, kind.depth);
        ASSERT_TRUE(store->StartDrawing(WorkImage));
        ASSERT_EQ(store->DrawingWidth(), kWidth);
        ASSERT_EQ(store->DrawingHeight(), kHeight);
        for (int y = 0; y < kHeight; ++y) {
          for (int x = 0; x < kWidth; ++x) {
            ASSERT_EQ(PixelOf(*store, x, y), Expected(kind, x, y)) << x << "," << y;
          }
        }
      }
    }
  }
}

Bytes RgbaPng(int width, int height) {
  return codec_fixtures::MakePng(MakeSpec(kKinds[9], width, height, false));
}

TEST(LoadImage, TruncatedDataKeepsTheRowsReadSoFar) {
  PngSpec spec;  // noise, so the data spans many IDAT chunks
  spec.width = spec.height = 128;
  std::uint32_t noise = 1;
  for (int y = 0; y < spec.height; ++y) {
    Bytes row(std::size_t(spec.width) * 4);
    for (std::uint8_t& byte : row) byte = std::uint8_t((noise = noise * 1103515245u + 12345u) >> 16);
    spec.rows.push_back(row);
  }
  const Bytes whole = codec_fixtures::MakePng(spec);
  const Bytes cut(whole.begin(), whole.begin() + std::ptrdiff_t(whole.size() / 2));
  ImageStore store;
  ASSERT_TRUE(LoadInto(store, LoadImageMemory(cut.data(), cut.size())));
  ASSERT_TRUE(store.StartDrawing(WorkImage));
  for (int x = 0; x < spec.width; ++x) {
    const std::uint8_t* p = spec.rows[0].data() + x * 4;
    EXPECT_EQ(PixelOf(store, x, 0), (Rgba{p[0], p[1], p[2], p[3]}));
    EXPECT_EQ(PixelOf(store, x, spec.height - 1), (Rgba{0, 0, 0, 0}));
  }
}

// Appends a chunk with its length and CRC.
void AppendChunk(Bytes& png, const std::string& type, const Bytes& data) {
  for (int shift = 24; shift >= 0; shift -= 8) png.push_back(std::uint8_t(data.size() >> shift));
  Bytes body(type.begin(), type.end());
  body.insert(body.end(), data.begin(), data.end());
  const std::uint32_t crc = std::uint32_t(crc32(0, body.data(), uInt(body.size())));
  png.insert(png.end(), body.begin(), body.end());
  for (int shift = 24; shift >= 0; shift -= 8) png.push_back(std::uint8_t(crc >> shift));
}

TEST(LoadImage, OwnFileCutOrDamagedKeepsTheWholeRowsBeforeTheBreak) {
  // EncodePng's own kind of file (None filter) takes the reader's direct path.
  fake::TempDir dir;
  ImageStore store;
  ASSERT_TRUE(store.CreateImage(WorkImage, 256, 128));
  ASSERT_TRUE(store.StartDrawing(WorkImage));
  std::uint32_t noise = 7;
  for (int y = 0; y < 128; ++y) {
    for (int x = 0; x < 256; ++x) {
      noise = noise * 1103515245u + 12345u;
      store.SetDrawMode(DrawMode::Default);
      store.SetPixel(x, y, noise);
      store.SetDrawMode(DrawMode::AlphaChannel);
      store.SetPixel(x, y, noise);
    }
  }
  store.StopDrawing();
  const Image original = *store.Find(WorkImage);
  const Result<std::string> png = EncodePng(original);
  ASSERT_TRUE(png.ok());
  const Bytes whole(png.value.begin(), png.value.end());
  Bytes damaged = whole;
  damaged[whole.size() / 2] ^= 0x55;  // inside an IDAT chunk: its CRC no longer matches
  const Bytes cut(whole.begin(), whole.begin() + std::ptrdiff_t(whole.size() / 2));
  // Half the zlib stream in one IDAT chunk whose CRC is right: the data itself ends early.
  Bytes stream;
  for (const auto& chunk : codec_fixtures::Chunks(whole)) {
    if (chunk.type == "IDAT") stream.insert(stream.end(), chunk.data.begin(), chunk.data.end());
  }
  stream.resize(stream.size() / 2);
  Bytes shortStream(whole.begin(), whole.begin() + 8 + 25);  // signature and IHDR
  AppendChunk(shortStream, "IDAT", stream);
  AppendChunk(shortStream, "IEND", {});
  for (const Bytes* bytes : std::vector<const Bytes*>{&whole, &cut, &damaged, &shortStream}) {
    ImageStore loaded;
    ASSERT_TRUE(LoadInto(loaded, LoadImageMemory(bytes->data(), bytes->size())));
    const Image& image = *loaded.Find(WorkImage);
    ASSERT_EQ(image.depth, 32);
    if (bytes == &whole) {
      EXPECT_EQ(image.pixels, original.pixels);
      continue;
    }
    const std::size_t rowBytes = 256 * 4;
    EXPECT_TRUE(std::equal(image.pixels.begin(), image.pixels.begin() + rowBytes,
                           original.pixels.begin()));
    EXPECT_TRUE(std::all_of(image.pixels.end() - rowBytes, image.pixels.end(),
                            [](std::uint8_t b) { return b == 0; }));
  }
}

TEST(LoadImage, DamagedOrHostileHeadersAreRefused) {
  const Bytes good = RgbaPng(8, 8);
  struct Case {
    const char* name;
    std::function<void(Bytes&)> damage;
  };
  const std::vector<Case> cases{
      {"IHDR CRC", [](Bytes& b) { b[29] ^= 0xFF; }},
      {"colour type 5", [](Bytes& b) { b[25] = 5; }},
      {"width 0", [](Bytes& b) { b[16] = b[17] = b[18] = b[19] = 0; }},
      {"signature only", [](Bytes& b) { b.resize(8); }},
      {"short signature", [](Bytes& b) { b.resize(5); }},
  };
  for (const Case& c : cases) {
    Bytes bytes = good;
    c.damage(bytes);
    ImageStore store;
    EXPECT_FALSE(LoadInto(store, LoadImageMemory(bytes.data(), bytes.size()))) << c.name;
    EXPECT_EQ(store.Find(WorkImage), nullptr) << c.name;
  }
  // Sides beyond 32767 are refused, whatever the data holds.
  ImageStore store;
  const Bytes wide = codec_fixtures::MakePng(MakeSpec(kKinds[0], kMaxImageSide + 1, 1, false));
  ASSERT_FALSE(wide.empty());
  EXPECT_FALSE(LoadInto(store, LoadImageMemory(wide.data(), wide.size())));
}

// One PNG chunk: length, type, data, CRC.
void AppendChunk(Bytes& png, const char* type, const Bytes& data) {
  const auto put32 = [&png](std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) png.push_back(static_cast<std::uint8_t>(v >> shift));
  };
  put32(static_cast<std::uint32_t>(data.size()));
  Bytes typed(type, type + 4);
  typed.insert(typed.end(), data.begin(), data.end());
  png.insert(png.end(), typed.begin(), typed.end());
  put32(static_cast<std::uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
}

TEST(LoadImage, TinyFileClaimingAHugePictureTakesNoMemoryForTheRowsItLacks) {
  constexpr std::uint32_t kSide = 8192;  // 256 MiB of RGBA claimed by a file of a few dozen bytes
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header = {0, 0, 0x20, 0, 0, 0, 0x20, 0, 8, 6, 0, 0, 0};
  AppendChunk(png, "IHDR", header);
  Bytes row(2 * (1 + kSide * 4), 0x41);  // two whole rows, each behind filter byte 0 (None)
  row[0] = 0;
  row[1 + kSide * 4] = 0;
  Bytes packed(compressBound(row.size()));
  uLongf packedSize = packed.size();
  ASSERT_EQ(compress(packed.data(), &packedSize, row.data(), row.size()), Z_OK);
  packed.resize(packedSize);
  AppendChunk(png, "IDAT", packed);
  AppendChunk(png, "IEND", {});
  const std::size_t before = fake::ResidentBytes();
  ImageStore store;
  ASSERT_TRUE(LoadInto(store, LoadImageMemory(png.data(), png.size())));
  EXPECT_EQ(store.ImageWidth(WorkImage), int(kSide));
  // The whole rows delivered take memory; the 8190 rows claimed beyond them do not.
  EXPECT_LT(fake::ResidentBytes(), before + (std::size_t(16) << 20));
  ASSERT_TRUE(store.StartDrawing(WorkImage));
  EXPECT_EQ(store.GetPixel(kSide - 1, 1), PackRgba(0x41, 0x41, 0x41, 0));
  EXPECT_EQ(store.GetPixel(0, 2), 0u);
  EXPECT_EQ(store.GetPixel(7, 4000), 0u);
}

TEST(LoadImage, FailuresNameTheirCause) {
  fake::TempDir dir;
  fake::WriteWholeFile(dir.File("text.png"), "just some text");
  struct Case {
    const char* name;
    std::string path;
    Error error;
  };
  std::vector<Case> cases = {
      {"missing", dir.File("absent.png"), Error::CannotOpen},
      {"folder", dir.Root().string(), Error::CannotOpen},
      {"text", dir.File("text.png"), Error::NotAPicture},
  };
#ifndef _WIN32
  // A pipe nobody writes to: opening it must not wait for a writer (Windows
  // has no named pipes in its folders).
  ASSERT_EQ(mkfifo(dir.File("pipe.png").c_str(), 0600), 0);
  cases.push_back({"writer-less pipe", dir.File("pipe.png"), Error::CannotRead});
#endif
  for (const auto& c : cases) EXPECT_EQ(LoadImageFile(c.path).error, c.error) << c.name;
}

// A bitmap file: `bits` 8 (palette of 256 grey levels), 24 or 32; rows bottom-up.
Bytes MakeBmp(int width, int height, int bits, const std::function<Rgba(int, int)>& pixel) {
  const std::size_t stride = (std::size_t(width) * bits + 31) / 32 * 4;
  const std::size_t paletteBytes = bits == 8 ? 256 * 4 : 0;
  const std::size_t offset = 14 + 40 + paletteBytes;
  Bytes b(offset + stride * height, 0);
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = std::uint8_t(v >> (8 * i));
  };
  b[0] = 'B';
  b[1] = 'M';
  put32(2, std::uint32_t(b.size()));
  put32(10, std::uint32_t(offset));
  put32(14, 40);
  put32(18, std::uint32_t(width));
  put32(22, std::uint32_t(height));
  b[26] = 1;
  b[28] = std::uint8_t(bits);
  for (std::size_t i = 0; i < paletteBytes / 4; ++i) {
    b[54 + i * 4] = b[54 + i * 4 + 1] = b[54 + i * 4 + 2] = std::uint8_t(i);
  }
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = b.data() + offset + stride * std::size_t(height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const Rgba p = pixel(x, y);
      if (bits == 8) {
        row[x] = p.r;
        continue;
      }
      std::uint8_t* q = row + std::size_t(x) * (bits / 8);
      q[0] = p.b;
      q[1] = p.g;
      q[2] = p.r;
      if (bits == 32) q[3] = p.a;
    }
  }
  return b;
}

TEST(LoadImage, BitmapsOfEightTwentyFourAndThirtyTwoBits) {
  const auto colour = [](int x, int y) {
    return Rgba{Pattern(x, y, 0), Pattern(x, y, 1), Pattern(x, y, 2), Pattern(x, y, 3)};
  };
  struct Case {
    int bits;
    int depthWhenDrawing;
    std::function<Rgba(int, int)> expected;
  };
  const std::vector<Case> cases{
      {8, 24, [&](int x, int y) { const auto g = colour(x, y).r; return Rgba{g, g, g, 0}; }},
      {24, 24, [&](int x, int y) { auto p = colour(x, y); p.a = 0; return p; }},
      {32, 32, colour},
  };
  for (const Case& c : cases) {
    const Bytes bmp = MakeBmp(5, 3, c.bits, colour);  // 5 wide: rows need padding
    ImageStore store;
    ASSERT_TRUE(LoadInto(store, LoadImageMemory(bmp.data(), bmp.size()))) << c.bits;
    EXPECT_EQ(store.Find(WorkImage)->depth, c.bits);
    ASSERT_TRUE(store.StartDrawing(WorkImage));
    EXPECT_EQ(store.Find(WorkImage)->depth, c.depthWhenDrawing);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 5; ++x) EXPECT_EQ(PixelOf(store, x, y), c.expected(x, y)) << c.bits;
    }
  }
}

TEST(LoadImage, BmDataNeverReachesThePngReader) {
  Bytes bytes{'B', 'M'};
  const Bytes png = RgbaPng(4, 4);
  bytes.insert(bytes.end(), png.begin(), png.end());
  ImageStore store;
  EXPECT_FALSE(LoadInto(store, LoadImageMemory(bytes.data(), bytes.size())));
  Bytes truncated = MakeBmp(4, 4, 24, [](int, int) { return Rgba{1, 2, 3, 4}; });
  truncated.resize(truncated.size() - 1);
  EXPECT_FALSE(LoadInto(store, LoadImageMemory(truncated.data(), truncated.size())));
}

TEST(LoadImage, IconLoadsButCannotBeDrawnOn) {
  Bytes ico{0, 0, 1, 0, 1, 0,                     // directory: one image
            48, 32, 0, 0, 1, 0, 32, 0,            // 48 x 32, 32 bits
            40, 0, 0, 0, 22, 0, 0, 0};            // 40 bytes at offset 22
  ico.resize(22 + 40, 0);
  ico[22] = 40;
  ImageStore store;
  ASSERT_TRUE(LoadInto(store, LoadImageMemory(ico.data(), ico.size())));
  EXPECT_EQ(store.ImageWidth(WorkImage), 48);
  EXPECT_EQ(store.ImageHeight(WorkImage), 32);
  EXPECT_EQ(store.Find(WorkImage)->depth, 32);
  EXPECT_FALSE(store.StartDrawing(WorkImage));
  EXPECT_EQ(DecodeText(*store.Find(WorkImage)), "");
}


Bytes MakeJpeg(int width, int height, Rgba colour) {
  jpeg_compress_struct info{};
  jpeg_error_mgr error{};
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = width;
  info.image_height = height;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<std::uint8_t> row;
  for (int x = 0; x < width; ++x) row.insert(row.end(), {colour.r, colour.g, colour.b});
  while (info.next_scanline < info.image_height) {
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  Bytes out(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return out;
}

TEST(LoadImage, JpegLoadsAsTwentyFourBits) {
  const Bytes jpeg = MakeJpeg(24, 16, {200, 40, 90, 0});
  fake::TempDir dir;
  codec_fixtures::WriteBytes(dir.File("photo.png"), jpeg);  // chosen in the PNG requester
  ImageStore store;
  ASSERT_TRUE(LoadInto(store, LoadImageFile(dir.File("photo.png"))));
  EXPECT_EQ(store.Find(WorkImage)->depth, 24);
  ASSERT_TRUE(store.StartDrawing(WorkImage));
  EXPECT_EQ(store.DrawingWidth(), 24);
  const Rgba p = PixelOf(store, 10, 8);
  EXPECT_NEAR(p.r, 200, 3);
  EXPECT_NEAR(p.g, 40, 3);
  EXPECT_NEAR(p.b, 90, 3);
  EXPECT_EQ(p.a, 0);
  // A damaged JPEG neither crashes nor makes a picture from its header alone.
  const Bytes cut(jpeg.begin(), jpeg.begin() + 20);
  EXPECT_FALSE(LoadInto(store, LoadImageMemory(cut.data(), cut.size())));
}

TEST(LoadImage, CutJpegKeepsTheRowsReadSoFarAndMakesUpNoRest) {
  const Bytes jpeg = MakeJpeg(512, 2048, {200, 40, 90, 0});  // big enough that data outweighs the header
  const Bytes cut(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(jpeg.size() / 2));
  ImageStore store;
  ASSERT_TRUE(LoadInto(store, LoadImageMemory(cut.data(), cut.size())));
  ASSERT_TRUE(store.StartDrawing(WorkImage));
  EXPECT_NEAR(PixelOf(store, 5, 1).r, 200, 3);
  const Rgba last = PixelOf(store, 5, 2047);
  EXPECT_EQ(last.r + last.g + last.b, 0) << "the rows after the break stay 0";
}

TEST(LoadImage, ProgressiveJpegLoadsWholeAndCutKeepsTheScansThatArrived) {
  const hostile::JpegSpec spec{.width = 96, .height = 64, .progressive = true};
  hostile::JpegSpec baselineSpec = spec;
  baselineSpec.progressive = false;
  const Bytes whole = hostile::MakeJpeg(spec);
  const Bytes baseline = hostile::MakeJpeg(baselineSpec);
  // Past its first scans (the colours of every block): later detail is lost, no row is.
  const Bytes cut(whole.begin(), whole.begin() + std::ptrdiff_t(whole.size() * 3 / 5));
  ImageStore reference, progressive, partial;
  ASSERT_TRUE(LoadInto(reference, LoadImageMemory(baseline.data(), baseline.size())));
  ASSERT_TRUE(LoadInto(progressive, LoadImageMemory(whole.data(), whole.size())));
  ASSERT_TRUE(LoadInto(partial, LoadImageMemory(cut.data(), cut.size())));
  EXPECT_GE(partial.Find(WorkImage)->filledRows, 64);
  for (ImageStore* store : {&reference, &progressive, &partial}) {
    ASSERT_TRUE(store->StartDrawing(WorkImage));
  }
  for (int y = 0; y < 64; y += 9) {
    for (int x = 0; x < 96; x += 7) {
      const Rgba want = PixelOf(reference, x, y), got = PixelOf(progressive, x, y);
      const Rgba rough = PixelOf(partial, x, y);
      EXPECT_NEAR(got.r, want.r, 12) << x << "," << y;
      EXPECT_NEAR(got.b, want.b, 12) << x << "," << y;
      EXPECT_NEAR(rough.g, want.g, 60) << x << "," << y;
      EXPECT_GT(rough.r + rough.g + rough.b, 0) << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace codec
