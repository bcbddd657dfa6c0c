// Writes an image as an 8-bit RGBA PNG: None filter, zlib level 9, no ancillary chunk.
#include "codec/png_writer.h"

#include <png.h>

#include <new>
#include <string>
#include <vector>

namespace codec {

namespace {

constexpr int kCompressionLevel = 9;
constexpr std::uint8_t kOpaque = 255;

// libpng's messages go nowhere: a failure is reported by the result alone.
void QuietError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void QuietWarning(png_structp, png_const_charp) {}

// Row y of `image` as RGBA: the image's own row, or `scratch` filled from it
// with alpha 255 when the image has no alpha channel.
const std::uint8_t* RgbaRow(const Image& image, int y, std::uint8_t* scratch) {
  const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 4;
  const std::uint8_t* row = image.pixels.data() + static_cast<std::size_t>(y) * rowBytes;
  if (scratch == nullptr) return row;
  for (std::size_t i = 0; i < rowBytes; i += 4) {
    scratch[i] = row[i];
    scratch[i + 1] = row[i + 1];
    scratch[i + 2] = row[i + 2];
    scratch[i + 3] = kOpaque;
  }
  return scratch;
}

// libpng's output goes to the string; a failure to grow it becomes a libpng
// error, so no exception crosses libpng's C frames.
void AppendBytes(png_structp png, png_bytep data, std::size_t size) {
  auto* out = static_cast<std::string*>(png_get_io_ptr(png));
  bool grown = true;
  try {
    out->append(reinterpret_cast<const char*>(data), size);
  } catch (const std::bad_alloc&) {
    grown = false;
  }
  if (!grown) png_error(png, "out of memory");
}

// The libpng part. It owns no C++ object with a destructor, because a libpng
// error leaves it by longjmp. `scratch` is a row buffer for images without
// alpha, else null. False on any libpng error.
bool WriteImage(std::string* out, const Image& image, std::uint8_t* scratch) {
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, QuietWarning);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, out, AppendBytes, nullptr);
  png_set_filter(png, 0, PNG_FILTER_NONE);  // the mask: the value 0 would allow every filter
  png_set_compression_level(png, kCompressionLevel);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
               static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_RGB_ALPHA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < image.height; ++y) png_write_row(png, RgbaRow(image, y, scratch));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

Result<std::string> EncodePng(const Image& image) {
  if (image.pixels.size() != ImageBytes(image.width, image.height)) {
    return Result<std::string>::Failure(Error::Damaged);
  }
  std::vector<std::uint8_t> scratch;
  if (image.depth < 32) scratch.resize(static_cast<std::size_t>(image.width) * 4);
  std::string bytes;
  if (!WriteImage(&bytes, image, scratch.empty() ? nullptr : scratch.data())) {
    return Result<std::string>::Failure(Error::OutOfMemory);
  }
  return Result<std::string>::Of(std::move(bytes));
}

}  // namespace codec
