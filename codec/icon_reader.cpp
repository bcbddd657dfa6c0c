// Recognises icon files: their first image's size and depth, on which drawing cannot begin.
#include <array>

#include <png.h>

#include "codec/image_decoders.h"
#include "codec/little_endian.h"

namespace codec {

namespace {

constexpr std::size_t kDirectoryBytes = 6;
constexpr std::size_t kEntryBytes = 16;
constexpr std::uint16_t kIconType = 1;
constexpr int kZeroSideMeans = 256;  // a side byte of 0 stands for 256
constexpr std::size_t kInfoHeaderBytes = 40;
constexpr int kDefaultDepth = 32;

// The depth the entry's image data gives: a PNG is 32 bits, a bitmap header
// names its own; 0 when neither can be read.
int EmbeddedDepth(ByteSource& source, std::uint32_t offset) {
  std::array<std::uint8_t, kInfoHeaderBytes> head{};
  if (!SeekTo(source, offset) || ReadBytes(source, head.data(), head.size()) != head.size()) {
    return 0;
  }
  if (png_sig_cmp(head.data(), 0, 8) == 0) return kDefaultDepth;
  if (ReadU32(head.data()) == kInfoHeaderBytes) return ReadU16(head.data() + 14);
  return 0;
}

}  // namespace

DecodeOutcome ReadIcon(ByteSource& source, Image& image) {
  std::array<std::uint8_t, kDirectoryBytes + kEntryBytes> bytes{};
  if (ReadBytes(source, bytes.data(), bytes.size()) != bytes.size()) return DecodeOutcome::Declined;
  if (ReadU16(bytes.data()) != 0 || ReadU16(bytes.data() + 2) != kIconType ||
      ReadU16(bytes.data() + 4) == 0) {
    return DecodeOutcome::Declined;
  }
  const std::uint8_t* entry = bytes.data() + kDirectoryBytes;
  const int width = entry[0] == 0 ? kZeroSideMeans : entry[0];
  const int height = entry[1] == 0 ? kZeroSideMeans : entry[1];
  int depth = ReadU16(entry + 6);
  if (depth == 0) depth = EmbeddedDepth(source, ReadU32(entry + 12));
  if (depth == 0) return DecodeOutcome::Declined;
  const DecodeOutcome made = AllocateImage(image, width, height, depth);
  if (made != DecodeOutcome::Loaded) return made;
  image.drawable = false;
  return DecodeOutcome::Loaded;
}

}  // namespace codec
