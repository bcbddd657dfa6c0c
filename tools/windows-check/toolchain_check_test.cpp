// Checks that the cross toolchain and each static library work in a Windows program under Wine.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <Scintilla.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <libdeflate.h>
#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <jpeglib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using ::testing::ElementsAreArray;

// Bytes that text mode would change or stop at: LF, CR, CR LF, Ctrl-Z and NUL.
std::vector<std::uint8_t> TrickyPixels(int width, int height) {
  const std::uint8_t pattern[] = {'\n', '\r', '\r', '\n', 0x1a, 0x00, 0xff, 'A'};
  std::vector<std::uint8_t> pixels(static_cast<size_t>(width) * height * 4);
  for (size_t i = 0; i < pixels.size(); ++i) {
    pixels[i] = static_cast<std::uint8_t>(pattern[i % sizeof pattern] + i / sizeof pattern);
  }
  return pixels;
}

png_image RgbaImage(int width, int height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGBA;
  return image;
}

// A file written by libpng holds exactly the bytes it makes in memory, and reads back to the
// same pixels: the C runtime's files are binary and zlib is linked in.
TEST(PngFile, RoundTripsByteForByte) {
  const int width = 7, height = 5;
  const auto pixels = TrickyPixels(width, height);
  const auto dir = std::filesystem::temp_directory_path() /
                   ("letterloom-check-" + std::to_string(GetCurrentProcessId()));
  std::filesystem::create_directories(dir);
  const std::string file = (dir / "tricky.png").string();

  png_image image = RgbaImage(width, height);
  ASSERT_TRUE(png_image_write_to_file(&image, file.c_str(), 0, pixels.data(), 0, nullptr))
      << image.message;
  png_alloc_size_t size = 0;
  image = RgbaImage(width, height);
  ASSERT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr));
  std::vector<std::uint8_t> inMemory(size);
  ASSERT_TRUE(png_image_write_to_memory(&image, inMemory.data(), &size, 0, pixels.data(), 0, nullptr));

  std::ifstream in(file, std::ios::binary);
  const std::vector<std::uint8_t> onDisk{std::istreambuf_iterator<char>(in), {}};
  in.close();
  EXPECT_THAT(onDisk, ElementsAreArray(inMemory));

  png_image read{};
  read.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&read, file.c_str())) << read.message;
  read.format = PNG_FORMAT_RGBA;
  std::vector<std::uint8_t> back(PNG_IMAGE_SIZE(read));
  ASSERT_TRUE(png_image_finish_read(&read, nullptr, back.data(), 0, nullptr)) << read.message;
  EXPECT_EQ(read.width, static_cast<png_uint_32>(width));
  EXPECT_THAT(back, ElementsAreArray(pixels));
  std::filesystem::remove_all(dir);
}

// libdeflate's zlib stream is one zlib itself inflates.
TEST(Deflate, LibdeflateOutputInflatesWithZlib) {
  const auto data = TrickyPixels(64, 64);
  libdeflate_compressor* compressor = libdeflate_alloc_compressor(9);
  ASSERT_NE(compressor, nullptr);
  std::vector<std::uint8_t> packed(libdeflate_zlib_compress_bound(compressor, data.size()));
  const size_t packedSize =
      libdeflate_zlib_compress(compressor, data.data(), data.size(), packed.data(), packed.size());
  libdeflate_free_compressor(compressor);
  ASSERT_GT(packedSize, 0u);

  std::vector<std::uint8_t> unpacked(data.size());
  uLongf unpackedSize = static_cast<uLongf>(unpacked.size());
  ASSERT_EQ(uncompress(unpacked.data(), &unpackedSize, packed.data(), static_cast<uLong>(packedSize)), Z_OK);
  EXPECT_EQ(unpackedSize, data.size());
  EXPECT_THAT(unpacked, ElementsAreArray(data));
}

// A grey gradient survives a JPEG round trip in memory within a small error.
TEST(Jpeg, GradientRoundTripsInMemory) {
  const int width = 32, height = 8;
  std::vector<std::uint8_t> grey(width * height);
  for (int i = 0; i < width * height; ++i) grey[i] = static_cast<std::uint8_t>((i % width) * 8);

  jpeg_error_mgr errors{};
  jpeg_compress_struct out{};
  out.err = jpeg_std_error(&errors);
  jpeg_create_compress(&out);
  unsigned char* encoded = nullptr;
  unsigned long encodedSize = 0;
  jpeg_mem_dest(&out, &encoded, &encodedSize);
  out.image_width = width;
  out.image_height = height;
  out.input_components = 1;
  out.in_color_space = JCS_GRAYSCALE;
  jpeg_set_defaults(&out);
  jpeg_set_quality(&out, 100, TRUE);
  jpeg_start_compress(&out, TRUE);
  while (out.next_scanline < out.image_height) {
    JSAMPROW row = grey.data() + out.next_scanline * width;
    jpeg_write_scanlines(&out, &row, 1);
  }
  jpeg_finish_compress(&out);
  jpeg_destroy_compress(&out);

  jpeg_decompress_struct in{};
  in.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&in);
  jpeg_mem_src(&in, encoded, encodedSize);
  ASSERT_EQ(jpeg_read_header(&in, TRUE), JPEG_HEADER_OK);
  jpeg_start_decompress(&in);
  ASSERT_EQ(in.output_width, static_cast<JDIMENSION>(width));
  ASSERT_EQ(in.output_height, static_cast<JDIMENSION>(height));
  std::vector<std::uint8_t> back(width * height);
  while (in.output_scanline < in.output_height) {
    JSAMPROW row = back.data() + in.output_scanline * width;
    jpeg_read_scanlines(&in, &row, 1);
  }
  jpeg_finish_decompress(&in);
  jpeg_destroy_decompress(&in);
  free(encoded);
  for (int i = 0; i < width * height; ++i) EXPECT_NEAR(back[i], grey[i], 4) << "pixel " << i;
}

// The posix threading model: std::thread and std::mutex exist and work.
TEST(Threads, MutexGuardsACounter) {
  const int threads = 4, rounds = 20000;
  std::mutex mutex;
  long counter = 0;
  std::vector<std::thread> workers;
  for (int t = 0; t < threads; ++t) {
    workers.emplace_back([&] {
      for (int i = 0; i < rounds; ++i) {
        std::lock_guard<std::mutex> lock(mutex);
        ++counter;
      }
    });
  }
  for (auto& worker : workers) worker.join();
  EXPECT_EQ(counter, static_cast<long>(threads) * rounds);
}

// Scintilla's static library registers its window class (no window is made: no display is needed).
TEST(Scintilla, RegistersItsWindowClass) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  ASSERT_TRUE(Scintilla_RegisterClasses(instance));
  WNDCLASSEXW info{};
  info.cbSize = sizeof info;
  EXPECT_TRUE(GetClassInfoExW(instance, L"Scintilla", &info));
  Scintilla_ReleaseResources();
}

}  // namespace
