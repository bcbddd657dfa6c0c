// Writes small seed pictures for fuzz_image_loader, one or more for every reader, into the folder named on the command line.
#include <png.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "codec/encode_stream.h"
#include "codec/image_buffer.h"
#include "codec/png_writer.h"
#include "tests/support/codec_fixtures.h"
#include "tests/support/hostile_pictures.h"

namespace {

using hostile::Bytes;

// A picture holding the pixel stream of `text`, as a text-to-picture run makes it.
Bytes StreamPng(const std::string& text) {
  codec::PixelList pixels;
  const codec::TextRead read = codec::ReadStreamBytes(text, pixels);
  if (read.error != codec::Error::None) return {};
  const codec::Result<codec::Image> drawn = codec::DrawStreamImage(pixels, read.textBytes);
  if (!drawn.ok()) return {};
  const codec::Result<std::string> png = codec::EncodePng(drawn.value);
  return png.ok() ? Bytes(png.value.begin(), png.value.end()) : Bytes{};
}

// A small PNG of any colour type and depth through libpng, with a filter
// per row chosen by libpng (so not the reader's direct path), optionally
// interlaced.
Bytes KindPng(int colourType, int bitDepth, bool interlaced, bool transparency = false) {
  codec_fixtures::PngSpec spec;
  spec.width = 7;
  spec.height = 5;
  spec.colourType = colourType;
  spec.bitDepth = bitDepth;
  spec.interlaced = interlaced;
  int channels = 1;
  if (colourType == PNG_COLOR_TYPE_GRAY_ALPHA) channels = 2;
  if (colourType == PNG_COLOR_TYPE_RGB) channels = 3;
  if (colourType == PNG_COLOR_TYPE_RGB_ALPHA) channels = 4;
  if (colourType == PNG_COLOR_TYPE_PALETTE) spec.palette = {{10, 20, 30}, {200, 100, 50}, {0, 255, 1}};
  if (transparency) spec.transparency = {0, 128};
  const int bytesPerRow = (spec.width * channels * bitDepth + 7) / 8;
  for (int y = 0; y < spec.height; ++y) {
    Bytes row(static_cast<std::size_t>(bytesPerRow));
    for (int i = 0; i < bytesPerRow; ++i) {
      const int v = (i * 37 + y * 101) & 0xFF;
      const int index = bitDepth == 8 ? v % 3 : 0;
      row[static_cast<std::size_t>(i)] =
          static_cast<std::uint8_t>(colourType == PNG_COLOR_TYPE_PALETTE ? index : v);
    }
    spec.rows.push_back(row);
  }
  return codec_fixtures::MakePng(spec);
}

// A PNG with ancillary chunks before its image data, which the reader skips.
Bytes PngWithChunks() {
  Bytes png = hostile::PngStart(3, 2);
  hostile::AppendChunk(png, "tEXt", Bytes{'T', 'i', 't', 'l', 'e', 0, 'h', 'i'});
  hostile::AppendChunk(png, "gAMA", Bytes{0, 0, 0xB1, 0x8F});
  hostile::AppendChunk(png, "prVt", Bytes{1, 2, 3});
  hostile::AppendImageData(png, hostile::DeflateFlood(2 * 13, 'A', 13));
  return png;
}

// A bitmap of `bits` 8, 24 or 32 (32 also with the masks of BI_BITFIELDS).
Bytes Bitmap(int width, int height, int bits, bool masks = false) {
  const std::size_t stride = (std::size_t(width) * std::size_t(bits) + 31) / 32 * 4;
  const std::size_t extra = bits == 8 ? 256 * 4 : masks ? 12 : 0;
  Bytes bmp = hostile::BmpClaim(width, height, bits, extra + stride * std::size_t(height));
  const std::size_t offset = 54 + extra;
  for (int i = 0; i < 4; ++i) bmp[10 + i] = static_cast<std::uint8_t>(offset >> (8 * i));
  if (masks) {
    bmp[30] = 3;  // BI_BITFIELDS: R, G, B masks follow the header
    const std::uint32_t m[3] = {0x00FF0000u, 0x0000FF00u, 0x000000FFu};
    for (int k = 0; k < 3; ++k) {
      for (int i = 0; i < 4; ++i) bmp[54 + k * 4 + i] = static_cast<std::uint8_t>(m[k] >> (8 * i));
    }
  }
  for (std::size_t i = 0; i < stride * std::size_t(height); ++i) {
    bmp[offset + i] = static_cast<std::uint8_t>(i * 29 + 3);
  }
  return bmp;
}

// The BITMAPINFOHEADER of an icon's image: a square of `side`, `bits` deep
// (its height counts the mask as well).
Bytes BitmapHeader(int side, int bits) {
  Bytes header;
  hostile::PutLittle(header, 40, 4);
  hostile::PutLittle(header, static_cast<std::uint32_t>(side), 4);
  hostile::PutLittle(header, static_cast<std::uint32_t>(side * 2), 4);
  hostile::PutLittle(header, 1, 2);
  hostile::PutLittle(header, static_cast<std::uint32_t>(bits), 2);
  header.resize(40, 0);
  return header;
}

// An icon file whose one entry holds `image` (a bitmap header or a PNG);
// `depth` 0 makes the reader look into the image for it.
Bytes Icon(int side, int depth, const Bytes& image) {
  const auto byte = [](int v) { return static_cast<std::uint8_t>(v); };
  Bytes ico{0, 0, 1, 0, 1, 0, byte(side), byte(side), 0, 0, 1, 0, byte(depth), 0};
  hostile::PutLittle(ico, static_cast<std::uint32_t>(image.size()), 4);
  hostile::PutLittle(ico, 22, 4);
  ico.insert(ico.end(), image.begin(), image.end());
  return ico;
}

Bytes Cut(Bytes bytes, std::size_t keep) {
  if (keep < bytes.size()) bytes.resize(keep);
  return bytes;
}

struct Seed {
  const char* name;
  std::function<Bytes()> make;
};

const std::vector<Seed> kSeeds{
    {"stream_short.png", [] { return StreamPng("Hello"); }},
    {"stream_long.png", [] { return StreamPng(std::string(200, 'x') + "\r\n\xE9t\xE9"); }},
    {"grey1.png", [] { return KindPng(PNG_COLOR_TYPE_GRAY, 1, false); }},
    {"grey16_interlaced.png", [] { return KindPng(PNG_COLOR_TYPE_GRAY, 16, true); }},
    {"grey_alpha.png", [] { return KindPng(PNG_COLOR_TYPE_GRAY_ALPHA, 8, false); }},
    {"rgb.png", [] { return KindPng(PNG_COLOR_TYPE_RGB, 8, false); }},
    {"rgba16.png", [] { return KindPng(PNG_COLOR_TYPE_RGB_ALPHA, 16, false); }},
    {"rgba_interlaced.png", [] { return KindPng(PNG_COLOR_TYPE_RGB_ALPHA, 8, true); }},
    {"palette_trns.png", [] { return KindPng(PNG_COLOR_TYPE_PALETTE, 8, false, true); }},
    {"chunks.png", PngWithChunks},
    {"ztxt.png", [] { return hostile::TextFloodPng(2, 256); }},
    {"claim_over_budget.png", [] { return hostile::FloodPng(32767, 32767, 'A', 1); }},
    {"cut.png", [] { return Cut(StreamPng(std::string(3000, 'q')), 120); }},
    {"cut_interlaced.png", [] { return Cut(KindPng(PNG_COLOR_TYPE_RGB_ALPHA, 8, true), 100); }},
    {"bad_header_crc.png",
     [] {
       Bytes png = StreamPng("x");
       png[29] ^= 0xFF;  // the IHDR CRC
       return png;
     }},
    {"baseline.jpg", [] { return hostile::MakeJpeg({.width = 24, .height = 16}); }},
    {"progressive.jpg",
     [] { return hostile::MakeJpeg({.width = 24, .height = 16, .progressive = true}); }},
    {"full_colour.jpg",
     [] { return hostile::MakeJpeg({.width = 9, .height = 9, .fullColour = true}); }},
    {"cut_progressive.jpg",
     [] { return Cut(hostile::MakeJpeg({.width = 32, .height = 32, .progressive = true}), 700); }},
    {"claim.jpg",
     [] { return hostile::JpegClaim({.width = 16, .height = 16, .quality = 50}, 300, 200); }},
    {"bitmap8.bmp", [] { return Bitmap(5, 3, 8); }},
    {"bitmap24.bmp", [] { return Bitmap(5, 3, 24); }},
    {"bitmap32_masks.bmp", [] { return Bitmap(3, 2, 32, true); }},
    {"bitmap_top_down.bmp", [] { return hostile::BmpClaim(2, -2, 32, 16); }},
    {"bitmap_claim.bmp", [] { return hostile::BmpClaim(32018, 24608, 24, 20); }},
    {"icon_bitmap.ico", [] { return Icon(16, 0, BitmapHeader(16, 32)); }},
    {"icon_depth.ico", [] { return Icon(0, 24, BitmapHeader(256, 24)); }},
    {"icon_png.ico", [] { return Icon(0, 0, KindPng(PNG_COLOR_TYPE_RGB_ALPHA, 8, false)); }},
};

bool WriteFile(const std::string& path, const Bytes& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  for (const Seed& seed : kSeeds) {
    const Bytes bytes = seed.make();
    if (bytes.empty() || !WriteFile(std::string(argv[1]) + "/" + seed.name, bytes)) {
      std::fprintf(stderr, "%s: cannot make or write %s\n", argv[0], seed.name);
      return 1;
    }
  }
  return 0;
}
