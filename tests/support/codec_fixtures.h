// Test fixtures for the codec: PNG files made with libpng, PNG inspection, and files as bytes.
#pragma once

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace codec_fixtures {

using Bytes = std::vector<std::uint8_t>;

// Every byte of the file; empty when it cannot be read.
inline Bytes ReadBytes(const std::string& path) {
  const std::string bytes = fake::ReadWholeFile(path);
  return Bytes(bytes.begin(), bytes.end());
}

// Replaces the file's content with `bytes`.
inline void WriteBytes(const std::string& path, const Bytes& bytes) {
  fake::WriteWholeFile(path, std::string(bytes.begin(), bytes.end()));
}

// What a PNG fixture holds: `rows` are the raw samples of each row as
// libpng takes them (big-endian for 16 bits, packed for palette indices).
struct PngSpec {
  int width = 0;
  int height = 0;
  int colourType = PNG_COLOR_TYPE_RGB_ALPHA;
  int bitDepth = 8;
  bool interlaced = false;
  std::vector<png_color> palette;
  Bytes transparency;  // tRNS alphas for a palette image
  std::vector<Bytes> rows;
};

inline void PngToMemory(png_structp png, png_bytep data, png_size_t size) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + size);
}
inline void PngFlush(png_structp) {}

// Encodes a fixture with libpng; empty on a libpng error.
inline Bytes MakePng(const PngSpec& spec) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, PngToMemory, PngFlush);
  png_set_IHDR(png, info, spec.width, spec.height, spec.bitDepth, spec.colourType,
               spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!spec.palette.empty()) {
    png_set_PLTE(png, info, spec.palette.data(), static_cast<int>(spec.palette.size()));
  }
  if (!spec.transparency.empty()) {
    png_set_tRNS(png, info, spec.transparency.data(), static_cast<int>(spec.transparency.size()),
                 nullptr);
  }
  png_write_info(png, info);
  std::vector<png_bytep> pointers;
  for (const Bytes& row : spec.rows) pointers.push_back(const_cast<png_bytep>(row.data()));
  png_write_image(png, pointers.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

struct Chunk {
  std::string type;
  Bytes data;
};

// The chunks of a PNG file after its signature.
inline std::vector<Chunk> Chunks(const Bytes& png) {
  std::vector<Chunk> chunks;
  std::size_t at = 8;
  while (at + 12 <= png.size()) {
    const std::size_t length = std::size_t(png[at]) << 24 | std::size_t(png[at + 1]) << 16 |
                               std::size_t(png[at + 2]) << 8 | png[at + 3];
    if (at + 12 + length > png.size()) break;
    Chunk chunk;
    chunk.type.assign(png.begin() + at + 4, png.begin() + at + 8);
    chunk.data.assign(png.begin() + at + 8, png.begin() + at + 8 + length);
    chunks.push_back(chunk);
    at += 12 + length;
  }
  return chunks;
}

// The inflated IDAT stream: each scanline's filter byte, then its samples.
inline Bytes InflateIdat(const Bytes& png, std::size_t expected) {
  Bytes stream;
  for (const Chunk& chunk : Chunks(png)) {
    if (chunk.type == "IDAT") stream.insert(stream.end(), chunk.data.begin(), chunk.data.end());
  }
  Bytes raw(expected + 1);
  uLongf size = raw.size();
  if (uncompress(raw.data(), &size, stream.data(), stream.size()) != Z_OK) return {};
  raw.resize(size);
  return raw;
}

}  // namespace codec_fixtures
