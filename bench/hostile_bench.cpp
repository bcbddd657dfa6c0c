// Writes the hostile pictures of the security review at full size and times loading and decoding each.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "codec/image_loader.h"
#include "codec/stream_decoder.h"
#include "tests/support/hostile_pictures.h"

namespace {

struct Picture {
  const char* file;
  const char* what;
  hostile::Bytes (*make)();
};

hostile::Bytes JpegClaim(std::uint16_t side) {
  return hostile::JpegClaim({.width = 64, .height = 64, .quality = 50}, side, side);
}

const std::vector<Picture> kPictures{
    {"jpeg_claim_32767.jpg", "JPEG: SOF claims 32767 x 32767 over 64 x 64 scan data",
     [] { return JpegClaim(32767); }},
    {"jpeg_claim_8000.jpg", "JPEG: SOF claims 8000 x 8000 over 64 x 64 scan data",
     [] { return JpegClaim(8000); }},
    {"ztxt_flood.png", "PNG: 999 zTXt chunks of 7.6 MB each",
     [] { return hostile::TextFloodPng(999, 7'600'000); }},
    {"flood_32767.png", "PNG: 32767 x 32767 RGBA 'A'",
     [] { return hostile::FloodPng(32767, 32767, 'A', 32767); }},
    {"flood_16384.png", "PNG: 16384 x 16384 RGBA 'A'",
     [] { return hostile::FloodPng(16384, 16384, 'A', 16384); }},
    {"bmp_claim.bmp", "BMP: 74 bytes claiming 32018 x 24608",
     [] { return hostile::BmpClaim(32018, 24608, 24, 20); }},
};

bool WriteFile(const std::string& path, const hostile::Bytes& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

// Loads and decodes the file in a child process, so that its peak memory
// is the child's own; prints the outcome, the time and the peak.
void Measure(const Picture& picture, const std::string& path) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    const codec::Result<codec::Image> loaded = codec::LoadImageFile(path);
    if (!loaded.ok()) {
      std::printf("  refused: %s\n", codec::ErrorText(loaded.error));
    } else {
      const std::string text = codec::DecodeText(loaded.value);
      std::printf("  loaded %d x %d, text of %zu bytes\n", loaded.value.width, loaded.value.height,
                  text.size());
    }
    std::fflush(stdout);
    _exit(0);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("  %.2f s, peak %.1f MiB (%s)\n", seconds, usage.ru_maxrss / 1024.0, picture.file);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder for the pictures>\n", argv[0]);
    return 2;
  }
  for (const Picture& picture : kPictures) {
    const std::string path = std::string(argv[1]) + "/" + picture.file;
    const hostile::Bytes bytes = picture.make();
    if (!WriteFile(path, bytes)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    std::printf("%s (%zu bytes)\n", picture.what, bytes.size());
    std::fflush(stdout);
    Measure(picture, path);
  }
  return 0;
}
