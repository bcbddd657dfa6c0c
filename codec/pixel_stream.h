// How a text's bytes are laid out as a stream of pixels, and which image size holds them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace codec {

// One pixel: R in bits 0-7, G in 8-15, B in 16-23, A in 24-31.
using ColourValue = std::uint32_t;

constexpr ColourValue PackRgba(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
  return ColourValue(r) | ColourValue(g) << 8 | ColourValue(b) << 16 | ColourValue(a) << 24;
}

// The stream of one conversion, in stream order.
using PixelList = std::vector<ColourValue>;

// "[<#]" in R, G, B, A.
inline constexpr ColourValue StreamMarker = PackRgba(0x5B, 0x3C, 0x23, 0x5D);
inline constexpr int kLengthFieldWidth = 16;       // decimal digits, "0"-padded
inline constexpr int kHeaderPixels = 5;            // four LengthHeader pixels and the marker
inline constexpr std::uint64_t kHeaderBytes = 20;  // StreamByteCount = N + 20
// A StreamByteCount from this value on is refused as too large.
inline constexpr std::uint64_t kStreamByteLimit = 5'242'880;
// The longest text any band's image holds whole (1280 x 1024).
inline constexpr std::uint64_t kMaxTextBytes = 5'233'648;

struct SizeBand {
  std::uint64_t maxStreamByteCount;  // inclusive
  int width;
  int height;
};

// The seven bands, smallest first.
inline constexpr std::array<SizeBand, 7> SizeBandTable{{
    {31'999, 160, 50},
    {63'999, 320, 50},
    {191'999, 320, 150},
    {1'023'999, 640, 400},
    {1'919'999, 800, 600},
    {3'145'727, 1024, 768},
    {5'242'879, 1280, 1024},
}};

struct ImageSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const ImageSize&, const ImageSize&) = default;
};

// Number of stream pixels for a text of `textBytes` bytes: 5 + ceil(N / 4).
constexpr std::uint64_t StreamPixelCount(std::uint64_t textBytes) {
  return kHeaderPixels + (textBytes + 3) / 4;
}

// Empties `pixels` and appends the four LengthHeader pixels for `textBytes`
// and the StreamMarker.
void BeginStream(PixelList& pixels, std::uint64_t textBytes);

// Appends the data pixels of `bytes`, four bytes a pixel, missing bytes 0.
// Call once with the whole text (or with pieces whose sizes are multiples of 4).
void AppendStreamData(PixelList& pixels, std::span<const std::uint8_t> bytes);

// The whole stream of a text.
PixelList BuildStream(std::span<const std::uint8_t> text);

// The image for a text of `textBytes` bytes: the smallest band whose byte
// range admits it and whose image holds all its stream pixels. Nothing when
// the text is too large (no band holds it, or StreamByteCount >= 5,242,880).
std::optional<ImageSize> ChooseImageSize(std::uint64_t textBytes);

// Where stream pixel j (from 0) lies in an image `width` pixels wide.
struct PixelPosition {
  int x = 0;
  int y = 0;
};
constexpr PixelPosition StreamPosition(std::uint64_t j, int width) {
  return {static_cast<int>(1 + j % static_cast<std::uint64_t>(width - 1)),
          static_cast<int>(1 + j / static_cast<std::uint64_t>(width - 1))};
}

}  // namespace codec
