// The least Windows bitmap loader that serves: uncompressed 24/32-bit and 8-bit palette.
#include <array>
#include <cstdlib>
#include <vector>

#include "codec/image_decoders.h"
#include "codec/little_endian.h"

namespace codec {

namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kInfoHeaderBytes = 40;   // BITMAPINFOHEADER, the least we read
constexpr std::size_t kMaskBytes = 12;          // R, G, B masks of BI_BITFIELDS
constexpr std::uint32_t kCompressionNone = 0;   // BI_RGB
constexpr std::uint32_t kCompressionMasks = 3;  // BI_BITFIELDS
constexpr std::uint32_t kPaletteEntries = 256;

struct BmpHeader {
  std::uint32_t pixelOffset = 0;
  std::uint32_t infoBytes = 0;
  int width = 0;
  int height = 0;  // always positive; `topDown` tells the row order
  bool topDown = false;
  int bits = 0;
  std::uint32_t compression = 0;
  std::uint32_t coloursUsed = 0;
};

// Reads the headers: Loaded when they are whole and name a picture within
// the loaders' limits, TooLarge when it is beyond them, else Failed.
DecodeOutcome ReadHeader(ByteSource& source, BmpHeader& header) {
  std::array<std::uint8_t, kFileHeaderBytes + kInfoHeaderBytes> bytes{};
  if (ReadBytes(source, bytes.data(), bytes.size()) != bytes.size()) return DecodeOutcome::Failed;
  if (bytes[0] != 'B' || bytes[1] != 'M') return DecodeOutcome::Failed;
  const std::uint8_t* info = bytes.data() + kFileHeaderBytes;
  header.pixelOffset = ReadU32(bytes.data() + 10);
  header.infoBytes = ReadU32(info);
  const std::int32_t width = ReadI32(info + 4);
  const std::int32_t height = ReadI32(info + 8);
  header.bits = ReadU16(info + 14);
  header.compression = ReadU32(info + 16);
  header.coloursUsed = ReadU32(info + 32);
  if (header.infoBytes < kInfoHeaderBytes || ReadU16(info + 12) != 1) return DecodeOutcome::Failed;
  if (width < 1 || height == 0) return DecodeOutcome::Failed;
  // The magnitude of a negative height (top-down rows), INT32_MIN included.
  const std::uint64_t rows = height < 0 ? std::uint64_t(-std::int64_t(height)) : std::uint64_t(height);
  if (!WithinPictureBudget(std::uint64_t(width), rows)) return DecodeOutcome::TooLarge;
  header.width = width;
  header.height = static_cast<int>(rows);
  header.topDown = height < 0;
  return DecodeOutcome::Loaded;
}

// True for the kinds we read: 24, 32 and 8 bits uncompressed, or 32 bits
// with the masks of plain B, G, R, A order.
bool Supported(ByteSource& source, const BmpHeader& header) {
  if (header.compression == kCompressionNone) {
    return header.bits == 8 || header.bits == 24 || header.bits == 32;
  }
  if (header.compression != kCompressionMasks || header.bits != 32) return false;
  std::array<std::uint8_t, kMaskBytes> masks{};
  if (!SeekTo(source, kFileHeaderBytes + kInfoHeaderBytes) ||
      ReadBytes(source, masks.data(), masks.size()) != masks.size()) {
    return false;
  }
  return ReadU32(masks.data()) == 0x00FF0000u && ReadU32(masks.data() + 4) == 0x0000FF00u &&
         ReadU32(masks.data() + 8) == 0x000000FFu;
}

// The palette as R, G, B, 0 per entry; missing entries stay black.
bool ReadPalette(ByteSource& source, const BmpHeader& header,
                 std::array<std::uint8_t, kPaletteEntries * 4>& palette) {
  std::uint32_t count = header.coloursUsed == 0 ? kPaletteEntries : header.coloursUsed;
  if (count > kPaletteEntries) count = kPaletteEntries;
  std::array<std::uint8_t, kPaletteEntries * 4> entries{};  // B, G, R, reserved
  if (!SeekTo(source, kFileHeaderBytes + std::uint64_t(header.infoBytes)) ||
      ReadBytes(source, entries.data(), count * 4) != count * 4) {
    return false;
  }
  palette.fill(0);
  for (std::size_t i = 0; i < count; ++i) {
    palette[i * 4] = entries[i * 4 + 2];
    palette[i * 4 + 1] = entries[i * 4 + 1];
    palette[i * 4 + 2] = entries[i * 4];
  }
  return true;
}

void ConvertRow(const BmpHeader& header, const std::uint8_t* in, std::uint8_t* out,
                const std::array<std::uint8_t, kPaletteEntries * 4>& palette) {
  for (int x = 0; x < header.width; ++x, out += 4) {
    if (header.bits == 8) {
      const std::uint8_t* entry = palette.data() + std::size_t(in[x]) * 4;
      out[0] = entry[0];
      out[1] = entry[1];
      out[2] = entry[2];
      continue;
    }
    const std::uint8_t* p = in + std::size_t(x) * std::size_t(header.bits / 8);
    out[0] = p[2];
    out[1] = p[1];
    out[2] = p[0];
    out[3] = header.bits == 32 ? p[3] : 0;
  }
}

}  // namespace

DecodeOutcome ReadBmp(ByteSource& source, Image& image) {
  BmpHeader header;
  const DecodeOutcome checked = ReadHeader(source, header);
  if (checked != DecodeOutcome::Loaded) return checked;
  if (!Supported(source, header)) return DecodeOutcome::Failed;
  std::array<std::uint8_t, kPaletteEntries * 4> palette{};
  if (header.bits == 8 && !ReadPalette(source, header, palette)) return DecodeOutcome::Failed;
  const DecodeOutcome made = AllocateImage(image, header.width, header.height, header.bits);
  if (made != DecodeOutcome::Loaded) return made;
  const std::size_t stride = (std::size_t(header.width) * std::size_t(header.bits) + 31) / 32 * 4;
  std::vector<std::uint8_t> row(stride);
  if (!SeekTo(source, header.pixelOffset)) return DecodeOutcome::Failed;
  const std::size_t rowBytes = std::size_t(header.width) * 4;
  for (int i = 0; i < header.height; ++i) {
    if (ReadBytes(source, row.data(), stride) != stride) return DecodeOutcome::Failed;
    const int y = header.topDown ? i : header.height - 1 - i;
    ConvertRow(header, row.data(), image.pixels.data() + std::size_t(y) * rowBytes, palette);
  }
  return DecodeOutcome::Loaded;
}

}  // namespace codec
