// Makes hostile pictures (huge size claims over little data, chunk floods) for tests, benchmarks and fuzz seeds.
#pragma once

#include <jpeglib.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace hostile {

using Bytes = std::vector<std::uint8_t>;

inline void PutBig32(Bytes& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

inline void PutLittle(Bytes& out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// Appends one PNG chunk: length, type, data, CRC.
inline void AppendChunk(Bytes& png, const char* type, const Bytes& data) {
  PutBig32(png, static_cast<std::uint32_t>(data.size()));
  const std::size_t typeAt = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  uLong crc = crc32(0, png.data() + typeAt, 4);
  crc = crc32_z(crc, data.data(), data.size());
  PutBig32(png, static_cast<std::uint32_t>(crc));
}

// The PNG signature and an IHDR chunk.
inline Bytes PngStart(std::uint32_t width, std::uint32_t height, std::uint8_t bitDepth = 8,
                      std::uint8_t colourType = 6, std::uint8_t interlace = 0) {
  Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  PutBig32(header, width);
  PutBig32(header, height);
  header.insert(header.end(), {bitDepth, colourType, 0, 0, interlace});
  AppendChunk(png, "IHDR", header);
  return png;
}

// `count` bytes of `value`, deflated at level 9 as one zlib stream; the
// input is made a piece at a time, so gigabytes cost no memory. With
// `rowBytes` > 0 every row of that many bytes starts with filter byte 0
// (None), as PNG image data does.
inline Bytes DeflateFlood(std::uint64_t count, std::uint8_t value, std::size_t rowBytes = 0) {
  constexpr std::size_t kPiece = std::size_t(1) << 20;
  Bytes input(kPiece), out(kPiece), packed;
  z_stream stream{};
  if (deflateInit(&stream, Z_BEST_COMPRESSION) != Z_OK) return {};
  std::uint64_t done = 0;
  do {
    const std::size_t piece = count - done < kPiece ? std::size_t(count - done) : kPiece;
    for (std::size_t i = 0; i < piece; ++i) {
      input[i] = rowBytes != 0 && (done + i) % rowBytes == 0 ? 0 : value;
    }
    done += piece;
    stream.next_in = input.data();
    stream.avail_in = static_cast<uInt>(piece);
    const int flush = done == count ? Z_FINISH : Z_NO_FLUSH;
    int status = Z_OK;
    do {
      stream.next_out = out.data();
      stream.avail_out = static_cast<uInt>(out.size());
      status = deflate(&stream, flush);
      packed.insert(packed.end(), out.data(), out.data() + (out.size() - stream.avail_out));
    } while (stream.avail_out == 0 || (flush == Z_FINISH && status != Z_STREAM_END));
  } while (done < count);
  deflateEnd(&stream);
  return packed;
}

// Appends `data` as IDAT chunks of at most 64 KiB, then IEND.
inline void AppendImageData(Bytes& png, const Bytes& data) {
  constexpr std::size_t kChunkBytes = 1 << 16;
  for (std::size_t at = 0; at < data.size(); at += kChunkBytes) {
    const std::size_t n = data.size() - at < kChunkBytes ? data.size() - at : kChunkBytes;
    const auto from = data.begin() + std::ptrdiff_t(at);
    AppendChunk(png, "IDAT", Bytes(from, from + std::ptrdiff_t(n)));
  }
  AppendChunk(png, "IEND", {});
}

// An 8-bit RGBA PNG of width x height whose first `rows` rows are every
// byte `value` (all rows when `rows` is at least the height): the data
// simply ends after them.
inline Bytes FloodPng(std::uint32_t width, std::uint32_t height, std::uint8_t value,
                      std::uint32_t rows) {
  if (rows > height) rows = height;
  Bytes png = PngStart(width, height);
  const std::size_t rowBytes = 1 + std::size_t(width) * 4;
  AppendImageData(png, DeflateFlood(std::uint64_t(rowBytes) * rows, value, rowBytes));
  return png;
}

// A 2 x 2 RGBA PNG of 'A' behind `chunks` zTXt chunks that each inflate to
// `inflatedBytes`.
inline Bytes TextFloodPng(int chunks, std::uint64_t inflatedBytes) {
  Bytes png = PngStart(2, 2);
  Bytes text{'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 0};  // keyword, compression method 0
  const Bytes packed = DeflateFlood(inflatedBytes, 'x');
  text.insert(text.end(), packed.begin(), packed.end());
  for (int i = 0; i < chunks; ++i) AppendChunk(png, "zTXt", text);
  AppendImageData(png, DeflateFlood(2 * 9, 'A', 9));
  return png;
}

// What MakeJpeg makes: width x height of 3 components in a pattern of
// colours, the colour planes halved both ways (4:2:0) unless `fullColour`.
struct JpegSpec {
  int width = 64;
  int height = 64;
  bool progressive = false;
  bool fullColour = false;
  int quality = 90;
};

inline Bytes MakeJpeg(const JpegSpec& spec) {
  jpeg_compress_struct info{};
  jpeg_error_mgr error{};
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(spec.width);
  info.image_height = static_cast<JDIMENSION>(spec.height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, spec.quality, TRUE);
  if (spec.fullColour) info.comp_info[0].h_samp_factor = info.comp_info[0].v_samp_factor = 1;
  if (spec.progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  std::vector<std::uint8_t> row(std::size_t(spec.width) * 3);
  while (info.next_scanline < info.image_height) {
    const unsigned y = info.next_scanline;
    for (int x = 0; x < spec.width; ++x) {
      row[std::size_t(x) * 3] = static_cast<std::uint8_t>(60 + (x * 7 + y) % 150);
      row[std::size_t(x) * 3 + 1] = static_cast<std::uint8_t>(60 + (y * 5) % 150);
      row[std::size_t(x) * 3 + 2] = static_cast<std::uint8_t>(90 + (x + y * 3) % 120);
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  Bytes out(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return out;
}

// Rewrites the size in a JPEG's frame header (SOF0 or SOF2) so that it
// claims width x height over the scan data it holds; false when there is
// no such header.
inline bool ClaimJpegSize(Bytes& jpeg, std::uint16_t width, std::uint16_t height) {
  for (std::size_t i = 2; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] != 0xFF || (jpeg[i + 1] != 0xC0 && jpeg[i + 1] != 0xC2)) continue;
    jpeg[i + 5] = static_cast<std::uint8_t>(height >> 8);
    jpeg[i + 6] = static_cast<std::uint8_t>(height);
    jpeg[i + 7] = static_cast<std::uint8_t>(width >> 8);
    jpeg[i + 8] = static_cast<std::uint8_t>(width);
    return true;
  }
  return false;
}

// A JPEG made by `spec` whose frame header then claims width x height.
inline Bytes JpegClaim(const JpegSpec& spec, std::uint16_t width, std::uint16_t height) {
  Bytes jpeg = MakeJpeg(spec);
  ClaimJpegSize(jpeg, width, height);
  return jpeg;
}

// A Windows bitmap of width x height and `bits` per pixel (24 or 32,
// uncompressed) that holds only `dataBytes` bytes of pixel data.
inline Bytes BmpClaim(std::int32_t width, std::int32_t height, int bits, std::size_t dataBytes) {
  constexpr std::uint32_t kHeaders = 14 + 40;
  Bytes bmp{'B', 'M'};
  PutLittle(bmp, kHeaders + static_cast<std::uint32_t>(dataBytes), 4);
  PutLittle(bmp, 0, 4);
  PutLittle(bmp, kHeaders, 4);  // pixel data offset
  PutLittle(bmp, 40, 4);
  PutLittle(bmp, static_cast<std::uint32_t>(width), 4);
  PutLittle(bmp, static_cast<std::uint32_t>(height), 4);
  PutLittle(bmp, 1, 2);  // planes
  PutLittle(bmp, static_cast<std::uint32_t>(bits), 2);
  for (int i = 0; i < 6; ++i) PutLittle(bmp, 0, 4);  // compression .. important colours
  bmp.resize(kHeaders + dataBytes, 0x41);
  return bmp;
}

}  // namespace hostile
