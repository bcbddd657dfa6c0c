// Hostile pictures: huge size claims over little data and chunk floods are refused with their cause or stay small.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "codec/image_loader.h"
#include "codec/stream_decoder.h"
#include "tests/support/hostile_pictures.h"
#include "tests/support/process_memory.h"
#include "tests/support/temp_dir.h"

namespace codec {
namespace {

using hostile::Bytes;

constexpr std::uint16_t kBudgetSide = 8192;  // kMaxPicturePixels is 8192 x 8192
static_assert(std::uint64_t(kBudgetSide) * kBudgetSide == kMaxPicturePixels);

// What loading and decoding a picture gave in a child process, and how far
// the child's peak resident memory grew above what it started with.
struct Probe {
  Error error = Error::None;
  int width = 0;
  int height = 0;
  int filledRows = 0;
  std::size_t textBytes = 0;
  bool zeroBelowFilled = true;  // every row from filledRows on holds only 0
  long peakGrowthKiB = -1;
};

long ResidentKiB() { return static_cast<long>(fake::ResidentBytes() / 1024); }

long PeakKiB() { return static_cast<long>(fake::PeakResidentBytes() / 1024); }

// Runs in the child: the probe of `bytes`, read from memory or, when `path`
// is given, from that file. The peak is taken before the zero rows are
// checked, which reads them.
Probe ProbeHere(const Bytes& bytes, const std::string& path) {
  Probe probe;
  const long start = ResidentKiB();
  const Result<Image> loaded =
      path.empty() ? LoadImageMemory(bytes.data(), bytes.size()) : LoadImageFile(path);
  probe.error = loaded.error;
  const Image& image = loaded.value;
  probe.width = image.width;
  probe.height = image.height;
  probe.filledRows = image.filledRows;
  probe.textBytes = DecodeText(image).size();
  probe.peakGrowthKiB = PeakKiB() - start;
  const std::size_t rowBytes = std::size_t(image.width) * 4;
  for (int y = image.filledRows; loaded.ok() && y < image.height; y += 61) {
    const std::uint8_t* row = image.pixels.data() + std::size_t(y) * rowBytes;
    for (std::size_t i = 0; i < rowBytes; ++i) probe.zeroBelowFilled &= row[i] == 0;
  }
  return probe;
}

// Loads `bytes` (from `path` when given) in a child process, so that a
// fault costs the child alone and its peak memory is that of this load.
// Windows has no fork: there the probe runs in this process, whose peak
// then covers every load so far; each must still stay under the bound.
Probe ProbeInChild(const Bytes& bytes, const std::string& path) {
#ifdef _WIN32
  return ProbeHere(bytes, path);
#else
  int channel[2];
  if (pipe(channel) != 0) return {};
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    const Probe probe = ProbeHere(bytes, path);
    const bool sent = write(channel[1], &probe, sizeof probe) == ssize_t(sizeof probe);
    _exit(sent ? 0 : 1);
  }
  close(channel[1]);
  Probe probe;
  if (child < 0 || read(channel[0], &probe, sizeof probe) != ssize_t(sizeof probe)) probe = Probe{};
  close(channel[0]);
  if (child > 0) waitpid(child, nullptr, 0);
  return probe;
#endif
}

// The review's hostile files, scaled so that the check, not gigabytes of
// work, is what a run meets: every claim is as large as the originals, the
// data behind it small.
struct HostileCase {
  const char* name;
  Bytes bytes;
  Error error;  // the cause it is refused with, or None when it loads
};

std::vector<HostileCase> HostileCases() {
  const hostile::JpegSpec small{.width = 64, .height = 64, .quality = 50};
  hostile::JpegSpec progressive = small;
  progressive.progressive = true;
  hostile::JpegSpec progressiveFull = progressive;
  progressiveFull.fullColour = true;
  return {
      {"JPEG claiming 32767 x 32767 over 64 x 64 data", hostile::JpegClaim(small, 32767, 32767),
       Error::TooLarge},
      {"JPEG claiming a side over 32767", hostile::JpegClaim(small, 40000, 16), Error::TooLarge},
      {"JPEG claiming 4096 x 4096 over 64 x 64 data", hostile::JpegClaim(small, 4096, 4096),
       Error::None},
      {"progressive JPEG claiming 4096 x 4096 over 64 x 64 data",
       hostile::JpegClaim(progressive, 4096, 4096), Error::None},
      // Its coefficients alone would need 384 MiB, over libjpeg's share.
      {"progressive 4:4:4 JPEG claiming the whole budget",
       hostile::JpegClaim(progressiveFull, kBudgetSide, kBudgetSide), Error::OutOfMemory},
      // Kept, these would take 128 MiB.
      {"PNG of 64 zTXt chunks of 2 MiB each", hostile::TextFloodPng(64, 2 << 20), Error::None},
      {"PNG of 32767 x 32767 'A'", hostile::FloodPng(32767, 32767, 'A', 2), Error::TooLarge},
      {"PNG of one row over the budget", hostile::FloodPng(kBudgetSide, kBudgetSide + 1, 'A', 2),
       Error::TooLarge},
      {"PNG with a side over 32767", hostile::FloodPng(40000, 1, 'A', 1), Error::TooLarge},
      {"RGBA PNG of the whole budget with two rows of data",
       hostile::FloodPng(kBudgetSide, kBudgetSide, 'A', 2), Error::None},
      {"RGB PNG of the whole budget with two rows of data",
       [] {
         constexpr std::size_t kScanline = 1 + kBudgetSide * 3;
         Bytes png = hostile::PngStart(kBudgetSide, kBudgetSide, 8, 2);
         hostile::AppendImageData(png, hostile::DeflateFlood(2 * kScanline, 'A', kScanline));
         return png;
       }(),
       Error::None},
      {"74-byte bitmap claiming 32018 x 24608", hostile::BmpClaim(32018, 24608, 24, 20),
       Error::TooLarge},
      {"bitmap claiming a top-down side over 32767", hostile::BmpClaim(16, -40000, 32, 20),
       Error::TooLarge},
      {"bitmap of the whole budget with 20 bytes of data",
       hostile::BmpClaim(kBudgetSide, kBudgetSide, 32, 20), Error::Damaged},
  };
}

// What the table demands of each case.
void Check(const HostileCase& c, const Probe& probe) {
  constexpr long kMaxGrowthKiB = 16 * 1024;
  ASSERT_GE(probe.peakGrowthKiB, 0) << "the child gave no answer";
  EXPECT_EQ(probe.error, c.error);
  EXPECT_LT(probe.peakGrowthKiB, kMaxGrowthKiB);
  if (c.error != Error::None) return;
  // What loads keeps its claimed size, with the rows its data never
  // reached left 0 and skipped by the decode.
  EXPECT_GE(probe.width, 2);
  EXPECT_TRUE(probe.zeroBelowFilled);
  EXPECT_LE(std::min(probe.filledRows, probe.height), 16);
  EXPECT_LE(probe.textBytes, std::size_t(16) * probe.width * 4);
}

TEST(HostilePicture, RefusedWithItsCauseOrDecodedInLittleMemory) {
  fake::TempDir dir;
  for (const HostileCase& c : HostileCases()) {
    ASSERT_FALSE(c.bytes.empty()) << c.name;
    fake::WriteWholeFile(dir.File("picture"), std::string(c.bytes.begin(), c.bytes.end()));
    for (const std::string& path : {std::string(), dir.File("picture")}) {
      SCOPED_TRACE(std::string(c.name) + (path.empty() ? " from memory" : " from a file"));
      Check(c, ProbeInChild(c.bytes, path));
    }
  }
}

}  // namespace
}  // namespace codec
