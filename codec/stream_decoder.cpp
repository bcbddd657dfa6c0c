// Walks an image's pixels in stream order and recovers the text behind the first marker.
#include "codec/stream_decoder.h"

#include <cstring>
#include <optional>
#include <utility>

namespace codec {

namespace {

constexpr std::size_t kLengthWindow = 16;  // ParseNumber reads the last 16 characters

// The walk's state: where the output stands and when the visit ends.
struct Walk {
  std::string text;         // DecodedText; its first `length` bytes are valid
  std::size_t length = 0;
  std::int32_t visits = 0;  // VisitCount
  std::optional<std::int32_t> stop;  // StopCount
};

// Appends the pixel's chunk at `out`: its non-zero R, G, B bytes and, unless
// R, G and B are all zero, its non-zero A byte. Writes up to four bytes and
// returns how many count.
inline std::size_t PutChunk(char* out, const std::uint8_t* p) {
  const ColourValue value = PackRgba(p[0], p[1], p[2], p[3]);
  // The common case, four non-zero bytes (a word-at-a-time zero-byte test).
  if (((value - 0x01010101u) & ~value & 0x80808080u) == 0) {
    std::memcpy(out, p, 4);
    return 4;
  }
  if ((value & 0x00FFFFFFu) == 0) return 0;
  std::size_t n = 0;
  for (int i = 0; i < 4; ++i) {
    out[n] = static_cast<char>(p[i]);
    n += p[i] != 0;
  }
  return n;
}

// The marker rule: the text so far ends with "[<#]"; the number in its last
// 16 characters gives the stream's length, and the text starts afresh.
void TakeMarker(Walk& walk) {
  const std::size_t t = walk.length;
  const std::size_t from = t > kLengthWindow ? t - kLengthWindow : 0;
  const std::int64_t l = ParseNumber(std::string_view(walk.text.data() + from, t - from));
  const std::uint32_t sum = static_cast<std::uint32_t>(static_cast<std::uint64_t>(t) +
                                                       static_cast<std::uint64_t>(l) + 3u);
  walk.stop = static_cast<std::int32_t>(sum) / 4;
  walk.length = 0;
}

bool IsMarker(const std::uint8_t* p) {
  return PackRgba(p[0], p[1], p[2], p[3]) == StreamMarker;
}

// Pixels still to visit in a row of `count` before StopCount ends the visit.
int PixelsBeforeStop(const Walk& walk, int count) {
  if (!walk.stop || *walk.stop <= walk.visits) return count;  // never reached: to the end
  const std::int64_t left = std::int64_t(*walk.stop) - walk.visits;
  return left < count ? static_cast<int>(left) : count;
}

constexpr std::uint64_t kLowBits = 0x0101010101010101ull;
constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

// True when one of the eight bytes of `v` is 0.
inline bool HasZeroByte(std::uint64_t v) { return ((v - kLowBits) & ~v & kHighBits) != 0; }

// Appends the chunks of `count` pixels from `p` at `out`; returns the new
// end. Text pixels hold four non-zero bytes, so four pixels at a time are
// copied whole when none of their sixteen bytes is 0.
char* CopyRun(char* out, const std::uint8_t* p, int count) {
  int i = 0;
  for (; i + 4 <= count; i += 4, p += 16) {
    std::uint64_t first, second;
    std::memcpy(&first, p, 8);
    std::memcpy(&second, p + 8, 8);
    if (!HasZeroByte(first) && !HasZeroByte(second)) {
      std::memcpy(out, p, 16);
      out += 16;
      continue;
    }
    for (int k = 0; k < 4; ++k) out += PutChunk(out, p + 4 * k);
  }
  for (; i < count; ++i, p += 4) out += PutChunk(out, p);
  return out;
}

// Visits `count` pixels from `p`; true when the visit has reached StopCount.
// Until the first marker every pixel is tested for it; after it, the run up
// to StopCount is copied without further tests.
bool VisitRow(Walk& walk, const std::uint8_t* p, int count) {
  char* out = walk.text.data();
  int x = 0;
  for (; x < count && !walk.stop; ++x, p += 4) {
    ++walk.visits;
    walk.length += PutChunk(out + walk.length, p);
    if (IsMarker(p)) TakeMarker(walk);
  }
  if (!walk.stop) return false;
  if (walk.visits == *walk.stop) return true;
  const int run = PixelsBeforeStop(walk, count - x);
  walk.length = CopyRun(out + walk.length, p, run) - out;
  walk.visits += run;
  return walk.visits == *walk.stop;
}

int DigitValue(char c, int base) {
  int value = base;
  if (c >= '0' && c <= '9') value = c - '0';
  else if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
}

}  // namespace

std::string DecodeText(const Image& image) {
  if (!image.drawable || image.width < 2 || image.height < 2 ||
      image.pixels.size() != ImageBytes(image.width, image.height)) {
    return {};
  }
  const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 4;
  // Rows of zero bytes add nothing and hold no marker: the walk ends with
  // the last row the loader filled.
  const int rows = image.filledRows < image.height ? image.filledRows : image.height;
  Walk walk;
  // Room for the whole walk up front: growing row by row would copy the text
  // again and again. The reserve touches no memory yet.
  walk.text.reserve(static_cast<std::size_t>(rows) * rowBytes);
  for (int y = 1; y < rows; ++y) {
    walk.text.resize(walk.length + rowBytes);  // room for every chunk of the row
    const std::uint8_t* row = image.pixels.data() + static_cast<std::size_t>(y) * rowBytes;
    if (VisitRow(walk, row + 4, image.width - 1)) break;
  }
  walk.text.resize(walk.length);
  if (walk.length < walk.text.capacity() / 2) walk.text.shrink_to_fit();  // a short text in a big image
  return std::move(walk.text);
}

std::int64_t ParseNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < text.size() && (text[i] == '$' || text[i] == '%')) {
    base = text[i] == '$' ? 16 : 2;
    ++i;
  }
  std::uint64_t value = 0;  // unsigned: wraps on overflow without undefined behaviour
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i], base);
    if (digit < 0) break;
    value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
  }
  if (negative) value = 0 - value;
  return static_cast<std::int64_t>(value);
}

}  // namespace codec
