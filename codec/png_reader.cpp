// Reads a PNG into a top-down R, G, B, A buffer: libpng for every kind, libdeflate for our own.
#include <libdeflate.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "codec/image_decoders.h"

namespace codec {

namespace {

constexpr std::size_t kSignatureBytes = 8;
// The reader keeps no ancillary chunk but tRNS (PLTE and tRNS are read into
// libpng's own fixed tables); every other one is skipped unread. Should a
// libpng build read one all the same, no single chunk may take more than
// this, and no more than kPngChunkCacheMax of them are kept.
constexpr png_alloc_size_t kPngChunkMemoryLimit = 1 << 20;
constexpr png_uint_32 kPngChunkCacheMax = 16;
// All the memory libpng takes for one picture: two rows of the widest one
// (32767 pixels of 16-bit RGBA, 256 KiB each), zlib's window and its own
// structures need under 1 MiB; beyond this its allocations fail.
constexpr std::size_t kPngMemoryLimit = std::size_t(16) << 20;
// Every size the format can state reaches our own check, which refuses
// what is over the budget as too large rather than as no picture at all.
constexpr png_uint_32 kPngLargestSide = PNG_UINT_31_MAX;

// libpng's allocations, counted against kPngMemoryLimit. Each block starts
// with its size, kept in a header that keeps the rest aligned.
struct PngMemory {
  std::size_t used = 0;
  bool refused = false;  // an allocation was over the limit or failed
};
constexpr std::size_t kBlockHeader = alignof(std::max_align_t);

png_voidp CountedMalloc(png_structp png, png_alloc_size_t size) {
  auto* memory = static_cast<PngMemory*>(png_get_mem_ptr(png));
  if (size > kPngMemoryLimit - memory->used) {
    memory->refused = true;
    return nullptr;
  }
  auto* block = static_cast<std::uint8_t*>(std::malloc(kBlockHeader + size));
  if (block == nullptr) {
    memory->refused = true;
    return nullptr;
  }
  std::memcpy(block, &size, sizeof size);
  memory->used += size;
  return block + kBlockHeader;
}

void CountedFree(png_structp png, png_voidp p) {
  if (p == nullptr) return;
  auto* block = static_cast<std::uint8_t*>(p) - kBlockHeader;
  png_alloc_size_t size = 0;
  std::memcpy(&size, block, sizeof size);
  static_cast<PngMemory*>(png_get_mem_ptr(png))->used -= size;
  std::free(block);
}

enum class PngCheck { Accepted, Declined, TooLarge, OutOfMemory };

// The decoder's state between its steps. A plain struct: the setjmp
// functions below may be left by longjmp.
struct PngReader {
  png_structp png = nullptr;
  png_infop info = nullptr;
  PngMemory memory;
  int width = 0;
  int height = 0;
  int depth = 0;
  int passes = 1;
  bool plain = false;  // 8-bit RGBA, not interlaced: rows are the buffer's bytes as they are
  int pass = 0;        // how far ReadPngRows came: the pass and the rows done in it
  int rowsDone = 0;
};

void QuietError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void QuietWarning(png_structp, png_const_charp) {}

void ReadFromSource(png_structp png, png_bytep out, std::size_t count) {
  ByteSource* source = static_cast<ByteSource*>(png_get_io_ptr(png));
  if (ReadBytes(*source, out, count) != count) png_error(png, "data ends early");
}

// Every transform is requested before the one png_read_update_info, as
// libpng 1.6 requires: rows come out as R, G, B, A or R, G, B, 0 (filler).
void RequestTransforms(png_structp png, png_infop info) {
  const int colourType = png_get_color_type(png, info);
  const int bitDepth = png_get_bit_depth(png, info);
  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);  // tRNS becomes alpha
  if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
    if (bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    png_set_gray_to_rgb(png);
  }
  if (bitDepth == 16) png_set_strip_16(png);
  const bool alpha = (colourType & PNG_COLOR_MASK_ALPHA) != 0 ||
                     (colourType == PNG_COLOR_TYPE_PALETTE && png_get_valid(png, info, PNG_INFO_tRNS));
  if (!alpha) png_set_filler(png, 0, PNG_FILLER_AFTER);
}

// Limits what a file can make libpng hold: no chunk it does not need is
// kept, and all its memory is counted.
void LimitLibpng(png_structp png) {
  png_set_user_limits(png, kPngLargestSide, kPngLargestSide);
  png_set_chunk_malloc_max(png, kPngChunkMemoryLimit);
  png_set_chunk_cache_max(png, kPngChunkCacheMax);
  // Every chunk libpng does not know, and every ancillary one it knows but
  // tRNS (text, profiles, palettes of suggestions...), is skipped unread.
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
}

// The check: signature, header, size, transforms. Declined on anything
// libpng refuses; TooLarge for a picture over the budget, found before
// libpng takes any memory for its rows. No C++ object with a destructor
// lives here.
PngCheck CheckPng(PngReader& reader, ByteSource& source) {
  png_byte signature[kSignatureBytes];
  if (ReadBytes(source, signature, kSignatureBytes) != kSignatureBytes ||
      png_sig_cmp(signature, 0, kSignatureBytes) != 0) {
    return PngCheck::Declined;
  }
  reader.memory = PngMemory{};
  reader.png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, QuietError, QuietWarning,
                                        &reader.memory, CountedMalloc, CountedFree);
  if (reader.png == nullptr) return PngCheck::OutOfMemory;
  reader.info = png_create_info_struct(reader.png);
  if (reader.info == nullptr) return PngCheck::OutOfMemory;
  if (setjmp(png_jmpbuf(reader.png))) {
    return reader.memory.refused ? PngCheck::OutOfMemory : PngCheck::Declined;
  }
  LimitLibpng(reader.png);
  png_set_read_fn(reader.png, &source, ReadFromSource);
  png_set_sig_bytes(reader.png, static_cast<int>(kSignatureBytes));
  png_read_info(reader.png, reader.info);
  if (!WithinPictureBudget(png_get_image_width(reader.png, reader.info),
                           png_get_image_height(reader.png, reader.info))) {
    return PngCheck::TooLarge;
  }
  reader.plain = png_get_color_type(reader.png, reader.info) == PNG_COLOR_TYPE_RGB_ALPHA &&
                 png_get_bit_depth(reader.png, reader.info) == 8 &&
                 png_get_interlace_type(reader.png, reader.info) == PNG_INTERLACE_NONE;
  RequestTransforms(reader.png, reader.info);
  reader.passes = png_set_interlace_handling(reader.png);
  png_read_update_info(reader.png, reader.info);
  const png_uint_32 width = png_get_image_width(reader.png, reader.info);
  const png_uint_32 height = png_get_image_height(reader.png, reader.info);
  if (width == 0 || height == 0 || png_get_rowbytes(reader.png, reader.info) != std::size_t(width) * 4) {
    return PngCheck::Declined;
  }
  reader.width = static_cast<int>(width);
  reader.height = static_cast<int>(height);
  reader.depth = png_get_color_type(reader.png, reader.info) == PNG_COLOR_TYPE_RGB ? 24 : 32;
  return PngCheck::Accepted;
}

// The decode: rows straight into the buffer, every pass over every row
// (libpng adds each pass's pixels to the row). A libpng error ends it with
// false; the rows read so far stay.
bool ReadPngRows(PngReader& reader, std::uint8_t* pixels) {
  if (setjmp(png_jmpbuf(reader.png))) return false;
  const std::size_t rowBytes = static_cast<std::size_t>(reader.width) * 4;
  for (reader.pass = 0; reader.pass < reader.passes; ++reader.pass) {
    std::uint8_t* row = pixels;
    for (reader.rowsDone = 0; reader.rowsDone < reader.height; ++reader.rowsDone, row += rowBytes) {
      png_read_row(reader.png, row, nullptr);
    }
  }
  return true;
}

void ReleasePng(PngReader& reader) {
  if (reader.png != nullptr) png_destroy_read_struct(&reader.png, &reader.info, nullptr);
}

PngCheck OpenWithLibpng(PngReader& reader, ByteSource& source) {
  const PngCheck check = CheckPng(reader, source);
  if (check != PngCheck::Accepted) ReleasePng(reader);
  return check;
}

// The direct path for plain files, the kind WritePng makes. libpng inflates
// a row at a time, which costs a fifth more than inflating the image data
// as one stream; here the IDAT chunks are gathered and inflated in one call
// to libdeflate into the buffer, and the rows moved over their filter bytes.
// Any filter other than None sends the file back to libpng. A CRC or zlib
// error, or data ending early, ends the read: whole rows inflated until then
// stay, the rest is 0. libdeflate makes nothing of a stream it cannot finish,
// so such data is inflated again with zlib, which keeps what comes before
// the damage.
enum class PlainRead { Done, NeedsLibpng };

constexpr std::size_t kChunkHeaderBytes = 8;
constexpr std::size_t kCrcBytes = 4;
// Chunk data is read in pieces of this size: a chunk cut short takes memory
// only for the bytes it holds.
constexpr std::size_t kGatherPiece = 1 << 16;
constexpr std::size_t kZlibInputPiece = 1 << 30;
constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFFu;
constexpr std::uint8_t kIdat[4] = {'I', 'D', 'A', 'T'};
// Deflate makes at most 258 bytes from 2 bits: no stream writes further
// than this many bytes per byte of input.
constexpr std::size_t kMaxDeflateExpansion = 1032;
// libdeflate copies matches in whole words and may write a few hundred
// bytes past the end of the data it makes (never past the buffer's end).
constexpr std::size_t kLibdeflateOverrun = 4096;

// The inflated rows of the largest image fit zlib's 32-bit output count.
static_assert(std::size_t(kMaxImageSide) * kMaxImageSide * 4 + kMaxImageSide <= 0xFFFFFFFFu);

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

// The image data as the file holds it: the IDAT chunks' data in order.
struct IdatData {
  std::vector<std::uint8_t> bytes;
  // Every chunk was read whole with a matching CRC, and a chunk header
  // followed them; otherwise `bytes` ends with the damaged chunk's data.
  bool whole = false;
};

// Appends one IDAT chunk's data to `out`; false when the data ends early or
// its CRC differs (what was read stays in `out`).
bool AppendChunkData(ByteSource& source, std::uint32_t length, std::vector<std::uint8_t>& out) {
  std::uint32_t crc = libdeflate_crc32(0, kIdat, sizeof kIdat);
  while (length > 0) {
    const std::size_t want = std::min<std::size_t>(length, kGatherPiece);
    const std::size_t old = out.size();
    out.resize(old + want);
    const std::size_t got = ReadBytes(source, out.data() + old, want);
    out.resize(old + got);
    crc = libdeflate_crc32(crc, out.data() + old, got);
    length -= static_cast<std::uint32_t>(got);
    if (got < want) return false;
  }
  std::uint8_t stored[kCrcBytes];
  return ReadBytes(source, stored, kCrcBytes) == kCrcBytes && BigEndian32(stored) == crc;
}

// Bytes of IDAT data the source holds in whole chunks: a chunk counts once
// the header after it has been read. The gathering buffer takes that much at
// once, so it neither grows by copies nor takes memory for a length that a
// chunk only claims.
std::uint64_t IdatBytesPresent(ByteSource& source) {
  std::uint64_t position = kSignatureBytes, present = 0, pending = 0;
  bool seenIdat = false;
  while (SeekTo(source, position)) {
    std::uint8_t header[kChunkHeaderBytes];
    if (ReadBytes(source, header, kChunkHeaderBytes) != kChunkHeaderBytes) break;
    present += pending;
    pending = 0;
    const std::uint32_t length = BigEndian32(header);
    if (length > kMaxChunkLength) break;
    const bool isIdat = std::memcmp(header + 4, kIdat, sizeof kIdat) == 0;
    if (!isIdat && seenIdat) break;
    if (isIdat) pending = length;
    seenIdat = seenIdat || isIdat;
    position += kChunkHeaderBytes + std::uint64_t(length) + kCrcBytes;
  }
  return present;
}

// Reads the IDAT chunks that follow the signature, up to the first other
// chunk after them or the first damaged one. Memory failing ends it like
// data ending early.
IdatData GatherIdat(ByteSource& source) {
  IdatData idat;
  std::uint64_t position = kSignatureBytes;
  bool inPlace = false;  // the source stands at `position` already
  bool seenIdat = false;
  try {
    const std::uint64_t present = IdatBytesPresent(source);
    idat.bytes.reserve(
        static_cast<std::size_t>(std::min<std::uint64_t>(present, idat.bytes.max_size())));
    while (inPlace || SeekTo(source, position)) {
      std::uint8_t header[kChunkHeaderBytes];
      if (ReadBytes(source, header, kChunkHeaderBytes) != kChunkHeaderBytes) break;
      const std::uint32_t length = BigEndian32(header);
      if (length > kMaxChunkLength) break;
      position += kChunkHeaderBytes + std::uint64_t(length) + kCrcBytes;
      const bool isIdat = std::memcmp(header + 4, kIdat, sizeof kIdat) == 0;
      if (!isIdat && seenIdat) {
        idat.whole = true;
        break;
      }
      inPlace = isIdat;
      if (!isIdat) continue;
      seenIdat = true;
      if (!AppendChunkData(source, length, idat.bytes)) break;
    }
  } catch (const std::bad_alloc&) {
    idat.whole = false;
  }
  return idat;
}

// Inflates with zlib as far as the data allows; gives the bytes made.
std::size_t InflateWithZlib(const std::vector<std::uint8_t>& packed, std::uint8_t* out,
                            std::size_t size) {
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return 0;
  stream.next_out = out;
  stream.avail_out = static_cast<uInt>(size);
  std::size_t fed = 0;
  int status = Z_OK;
  while (status == Z_OK && stream.avail_out > 0 && fed < packed.size()) {
    const std::size_t piece = std::min(packed.size() - fed, kZlibInputPiece);
    stream.next_in = const_cast<Bytef*>(packed.data() + fed);
    stream.avail_in = static_cast<uInt>(piece);
    while (status == Z_OK && stream.avail_in > 0 && stream.avail_out > 0) {
      status = inflate(&stream, Z_NO_FLUSH);
    }
    fed += piece - stream.avail_in;
  }
  const std::size_t made = size - stream.avail_out;
  inflateEnd(&stream);
  return made;
}

struct Inflated {
  std::size_t made = 0;     // bytes of good data at the start of the output
  std::size_t touched = 0;  // bytes of the output that may have been written, >= made
};

// Inflates the image data into `out` (`size` bytes).
Inflated InflateIdat(const IdatData& idat, std::uint8_t* out, std::size_t size) {
  struct FreeDecompressor {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
  };
  Inflated result;
  if (idat.whole) {
    std::unique_ptr<libdeflate_decompressor, FreeDecompressor> decompressor(
        libdeflate_alloc_decompressor());
    if (decompressor != nullptr) {
      std::size_t made = 0;
      const libdeflate_result status = libdeflate_zlib_decompress(
          decompressor.get(), idat.bytes.data(), idat.bytes.size(), out, size, &made);
      if (status == LIBDEFLATE_SUCCESS) return {made, std::min(size, made + kLibdeflateOverrun)};
      // What libdeflate left is undefined, but it wrote no further than
      // the data could make.
      const std::size_t input = std::min(idat.bytes.size(), size);
      result.touched = std::min(size, input * kMaxDeflateExpansion + kLibdeflateOverrun);
    }
  }
  result.made = InflateWithZlib(idat.bytes, out, size);
  result.touched = std::max(result.touched, result.made);
  return result;
}

// Reads a plain image into `image`, whose pixels have room reserved for one
// filter byte per row beyond the image's size.
PlainRead ReadPlainRows(ByteSource& source, Image& image) {
  const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 4;
  const std::size_t height = static_cast<std::size_t>(image.height);
  const std::size_t bytes = rowBytes * height;
  image.pixels.resize(bytes + height);
  const Inflated inflated = InflateIdat(GatherIdat(source), image.pixels.data(), bytes + height);
  const std::size_t rows = inflated.made / (rowBytes + 1);
  std::uint8_t* pixels = image.pixels.data();
  for (std::size_t y = 0; y < rows; ++y) {
    const std::uint8_t* scanline = pixels + y * (rowBytes + 1);
    if (scanline[0] != PNG_FILTER_VALUE_NONE) {
      image.pixels.resize(bytes);
      return PlainRead::NeedsLibpng;
    }
    std::memmove(pixels + y * rowBytes, scanline + 1, rowBytes);
  }
  // Past the whole rows lie the moved-over remains of the scanlines read,
  // and then unset storage, unless it is the kind that starts as 0.
  const std::size_t written =
      StorageStartsZeroed(image.pixels.capacity()) ? std::min(inflated.touched, bytes) : bytes;
  if (written > rows * rowBytes) {
    std::fill(pixels + rows * rowBytes, pixels + written, std::uint8_t{0});
  }
  image.pixels.resize(bytes);
  return PlainRead::Done;
}

// Deflate makes at most 1032 bytes of every byte it reads (258-byte
// copies coded in 2 bits).
constexpr std::uint64_t kMaxInflateRatio = 1032;

// The most rows of `scanlineBytes` each that the image data left in the
// source can fill, at most `height`. The rows below stay 0 whatever the
// data holds, so a small file claiming a large picture leaves the reader of
// the image nothing to walk there.
int RowsTheDataCanFill(ByteSource& source, std::size_t scanlineBytes, int height) {
  const std::optional<std::uint64_t> left = BytesLeft(source);
  if (!left || *left > std::numeric_limits<std::uint64_t>::max() / kMaxInflateRatio) return height;
  const std::uint64_t rows = *left * kMaxInflateRatio / scanlineBytes + 1;
  return rows < std::uint64_t(height) ? static_cast<int>(rows) : height;
}

}  // namespace

DecodeOutcome ReadPng(ByteSource& source, Image& image) {
  PngReader reader;
  switch (OpenWithLibpng(reader, source)) {
    case PngCheck::Accepted: break;
    case PngCheck::Declined: return DecodeOutcome::Declined;
    case PngCheck::TooLarge: return DecodeOutcome::TooLarge;
    case PngCheck::OutOfMemory: return DecodeOutcome::OutOfMemory;
  }
  const std::size_t slack = reader.plain ? static_cast<std::size_t>(reader.height) : 0;
  // The direct path writes or clears every byte itself.
  const DecodeOutcome made =
      AllocateImage(image, reader.width, reader.height, reader.depth, slack, !reader.plain);
  if (made != DecodeOutcome::Loaded) {
    ReleasePng(reader);
    return made;
  }
  if (reader.plain) {
    image.filledRows = RowsTheDataCanFill(source, std::size_t(reader.width) * 4 + 1, reader.height);
    ReleasePng(reader);  // libpng has checked the header; the rows need no transform
    if (ReadPlainRows(source, image) != PlainRead::NeedsLibpng) return DecodeOutcome::Loaded;
    std::fill(image.pixels.begin(), image.pixels.end(), std::uint8_t{0});
    if (!SeekTo(source, 0) || OpenWithLibpng(reader, source) != PngCheck::Accepted) {
      return DecodeOutcome::Loaded;
    }
  }
  // A partial image is kept all the same; when the data broke in the first
  // pass, the rows after the break hold nothing.
  if (!ReadPngRows(reader, image.pixels.data()) && reader.pass == 0) {
    image.filledRows = reader.rowsDone;
  }
  ReleasePng(reader);
  return DecodeOutcome::Loaded;
}

}  // namespace codec
