// Times encode and decode of the largest text a picture holds against their zlib and libdeflate floors.
#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "codec/encode_stream.h"
#include "codec/image_buffer.h"
#include "codec/image_loader.h"
#include "codec/png_writer.h"
#include "codec/stream_decoder.h"

namespace {

constexpr std::size_t kTextBytes = codec::kMaxTextBytes;  // 5,233,648: fills 1280 x 1024
constexpr int kEncodeRepetitions = 5;
constexpr int kDecodeRepetitions = 11;
// Each decode sample times this many decodes: a process's CPU time is counted in ticks of
// 10 ms (Linux) to 15.6 ms (Windows), longer than one decode takes.
constexpr int kDecodesPerSample = 10;
constexpr std::size_t kLineWidth = 70;
constexpr int kZlibLevel = 9;
constexpr double kEncodeGoal = 1.05;  // encode / compress2 level 9
constexpr double kDecodeGoal = 0.8;   // decode / uncompress

constexpr std::array<std::string_view, 96> kWords{
    "the", "of", "and", "a", "to", "in", "is", "was", "that", "for", "it", "with", "as", "his",
    "on", "be", "at", "by", "had", "not", "are", "but", "from", "or", "have", "an", "they",
    "which", "one", "you", "were", "her", "all", "she", "there", "would", "their", "we", "him",
    "been", "has", "when", "who", "will", "more", "no", "if", "out", "so", "said", "what", "up",
    "its", "about", "into", "than", "them", "can", "only", "other", "new", "some", "could",
    "time", "these", "two", "may", "then", "do", "first", "any", "my", "now", "such", "like",
    "river", "morning", "letter", "window", "quietly", "garden", "remembered", "across",
    "village", "station", "winter", "carried", "lantern", "harbour", "slowly", "answered",
    "mountain", "beneath", "travellers", "promise", "kitchen"};

// A small deterministic generator, so every run times the same text.
struct Random {
  std::uint64_t state = 0x9E3779B97F4A7C15ull;
  std::uint32_t Next(std::uint32_t bound) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<std::uint32_t>(state % bound);
  }
};

// English-like prose: sentences of 4 to 17 words with commas, a line break
// before a line would pass 70 characters, now and then a blank line.
std::string MakeProse(std::size_t bytes) {
  Random random;
  std::string text;
  text.reserve(bytes + 128);
  std::size_t column = 0;
  while (text.size() < bytes) {
    const std::uint32_t words = 4 + random.Next(14);
    for (std::uint32_t i = 0; i < words; ++i) {
      std::string word(kWords[random.Next(kWords.size())]);
      if (i == 0) word[0] = static_cast<char>(word[0] - 'a' + 'A');
      if (i + 1 == words) word += ".?!."[random.Next(4)];
      else if (random.Next(9) == 0) word += ',';
      if (column + 1 + word.size() > kLineWidth) {
        text += '\n';
        column = 0;
        if (random.Next(12) == 0) text += '\n';
      } else if (column != 0) {
        text += ' ';
        ++column;
      }
      text += word;
      column += word.size();
    }
  }
  text.resize(bytes);
  return text;
}

// CPU time of the process (user and system) in ms: on a shared machine the
// wall clock also counts the time other programs hold the processor.
double CpuMilliseconds() {
  timespec now {};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// CPU time of one run of `work`, averaged over `runs` runs in a row.
double Milliseconds(const std::function<void()>& work, int runs = 1) {
  const double start = CpuMilliseconds();
  for (int i = 1; i < runs; ++i) work();
  work();
  return (CpuMilliseconds() - start) / runs;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The drawn image's rows as a PNG stream holds them before compression:
// each row preceded by filter byte 0.
std::vector<std::uint8_t> RawRows(const codec::Image& image) {
  const std::size_t rowBytes = std::size_t(image.width) * 4;
  std::vector<std::uint8_t> raw;
  raw.reserve((rowBytes + 1) * std::size_t(image.height));
  for (int y = 0; y < image.height; ++y) {
    raw.push_back(0);
    const auto row = image.pixels.begin() + std::ptrdiff_t(std::size_t(y) * rowBytes);
    raw.insert(raw.end(), row, row + std::ptrdiff_t(rowBytes));
  }
  return raw;
}

// A new file in the system's temporary folder; empty when none can be made.
std::string TempPath() {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  if (error) return {};
  std::random_device random;
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::filesystem::path path = folder / ("letterloom-bench-" + std::to_string(random()) + ".png");
    if (!std::filesystem::exists(path, error)) return path.string();
  }
  return {};
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main() {
  const std::string text = MakeProse(kTextBytes);
  const std::string path = TempPath();
  if (path.empty()) return 1;

  codec::PixelList pixels;
  codec::Result<codec::Image> drawn;
  codec::Result<std::string> png;
  auto encode = [&] {
    codec::ReadStreamBytes(text, pixels);
    drawn = codec::DrawStreamImage(pixels, text.size());
    png = codec::EncodePng(drawn.value);
  };
  encode();
  if (!png.ok() || !WriteFile(path, png.value)) return 1;
  const std::vector<std::uint8_t> raw = RawRows(drawn.value);
  std::vector<std::uint8_t> packed(compressBound(raw.size()));
  uLongf packedSize = 0;
  auto compressFloor = [&] {
    packedSize = packed.size();
    compress2(packed.data(), &packedSize, raw.data(), raw.size(), kZlibLevel);
  };
  std::vector<std::uint8_t> unpacked(raw.size());
  auto uncompressFloor = [&] {
    uLongf size = unpacked.size();
    uncompress(unpacked.data(), &size, packed.data(), packedSize);
  };
  libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
  if (decompressor == nullptr) return 1;
  std::vector<std::uint8_t> deflated(raw.size());
  auto libdeflateFloor = [&] {
    libdeflate_zlib_decompress(decompressor, packed.data(), packedSize, deflated.data(), deflated.size(),
                               nullptr);
  };
  std::string decoded;
  auto decode = [&] {
    decoded = codec::DecodeText(codec::LoadImageFile(path).value);
  };

  std::vector<double> encodeMs, compressMs, decodeMs, uncompressMs, libdeflateMs;
  for (int i = 0; i < kEncodeRepetitions; ++i) {
    encodeMs.push_back(Milliseconds(encode));
    compressMs.push_back(Milliseconds(compressFloor));
  }
  for (int i = 0; i < kDecodeRepetitions; ++i) {
    decodeMs.push_back(Milliseconds(decode, kDecodesPerSample));
    uncompressMs.push_back(Milliseconds(uncompressFloor, kDecodesPerSample));
    libdeflateMs.push_back(Milliseconds(libdeflateFloor, kDecodesPerSample));
  }
  std::remove(path.c_str());
  libdeflate_free_decompressor(decompressor);
  if (decoded != text || unpacked != raw || deflated != raw) {
    std::fprintf(stderr, "round trip failed\n");
    return 1;
  }

  const double encodeMedian = Median(encodeMs), compressMedian = Median(compressMs);
  const double decodeMedian = Median(decodeMs), uncompressMedian = Median(uncompressMs);
  const double libdeflateMedian = Median(libdeflateMs);
  std::printf("text: %zu bytes of prose, picture 1280 x 1024, zlib stream %lu bytes\n",
              text.size(), static_cast<unsigned long>(packedSize));
  std::printf("encode (read, draw, EncodePng)    %8.1f ms   floor compress2 level 9 %8.1f ms   ratio %.3f\n",
              encodeMedian, compressMedian, encodeMedian / compressMedian);
  std::printf("decode (load, walk into text)     %8.1f ms   floor zlib uncompress   %8.1f ms   ratio %.3f\n",
              decodeMedian, uncompressMedian, decodeMedian / uncompressMedian);
  std::printf("%48sfloor libdeflate        %8.1f ms   ratio %.3f\n", "", libdeflateMedian,
              decodeMedian / libdeflateMedian);
  std::printf("medians of %d encode and %d decode samples (%d decodes each), CPU time; goals: encode <= %.2f x "
              "compress2, decode <= %.2f x uncompress\n",
              kEncodeRepetitions, kDecodeRepetitions, kDecodesPerSample, kEncodeGoal, kDecodeGoal);
  return 0;
}
