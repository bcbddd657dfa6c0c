// Reads a PNG through libpng into a top-down R, G, B, A buffer.
#include <png.h>

#include "codec/image_decoders.h"

namespace codec {

namespace {

constexpr std::size_t kSignatureBytes = 8;
// Largest single chunk libpng may allocate for (a text, a profile): a bound
// on what a hostile file can make us hold.
constexpr png_alloc_size_t kPngChunkMemoryLimit = 8'000'000;

// The decoder's state between its steps. A plain struct: the setjmp
// functions below may be left by longjmp.
struct PngReader {
  png_structp png = nullptr;
  png_infop info = nullptr;
  int width = 0;
  int height = 0;
  int depth = 0;
  int passes = 1;
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

// The check: signature, header, transforms. False (decline) on anything
// libpng refuses. No C++ object with a destructor lives here.
bool CheckPng(PngReader& reader, ByteSource& source) {
  png_byte signature[kSignatureBytes];
  if (ReadBytes(source, signature, kSignatureBytes) != kSignatureBytes ||
      png_sig_cmp(signature, 0, kSignatureBytes) != 0) {
    return false;
  }
  reader.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, QuietWarning);
  if (reader.png == nullptr) return false;
  reader.info = png_create_info_struct(reader.png);
  if (reader.info == nullptr) return false;
  if (setjmp(png_jmpbuf(reader.png))) return false;
  png_set_user_limits(reader.png, kMaxImageSide, kMaxImageSide);
  png_set_chunk_malloc_max(reader.png, kPngChunkMemoryLimit);
  png_set_read_fn(reader.png, &source, ReadFromSource);
  png_set_sig_bytes(reader.png, static_cast<int>(kSignatureBytes));
  png_read_info(reader.png, reader.info);
  RequestTransforms(reader.png, reader.info);
  reader.passes = png_set_interlace_handling(reader.png);
  png_read_update_info(reader.png, reader.info);
  const png_uint_32 width = png_get_image_width(reader.png, reader.info);
  const png_uint_32 height = png_get_image_height(reader.png, reader.info);
  if (width == 0 || height == 0 || width > kMaxImageSide || height > kMaxImageSide ||
      png_get_rowbytes(reader.png, reader.info) != std::size_t(width) * 4) {
    return false;
  }
  reader.width = static_cast<int>(width);
  reader.height = static_cast<int>(height);
  reader.depth = png_get_color_type(reader.png, reader.info) == PNG_COLOR_TYPE_RGB ? 24 : 32;
  return true;
}

// The decode: rows straight into the buffer, every pass over every row
// (libpng adds each pass's pixels to the row). A libpng error ends it with
// false; the rows read so far stay.
bool ReadPngRows(PngReader& reader, std::uint8_t* pixels) {
  if (setjmp(png_jmpbuf(reader.png))) return false;
  const std::size_t rowBytes = static_cast<std::size_t>(reader.width) * 4;
  for (int pass = 0; pass < reader.passes; ++pass) {
    std::uint8_t* row = pixels;
    for (int y = 0; y < reader.height; ++y, row += rowBytes) png_read_row(reader.png, row, nullptr);
  }
  return true;
}

void ReleasePng(PngReader& reader) {
  if (reader.png != nullptr) png_destroy_read_struct(&reader.png, &reader.info, nullptr);
}

}  // namespace

DecodeOutcome ReadPng(ByteSource& source, Image& image) {
  PngReader reader;
  if (!CheckPng(reader, source)) {
    ReleasePng(reader);
    return DecodeOutcome::Declined;
  }
  if (!AllocateImage(image, reader.width, reader.height, reader.depth)) {
    ReleasePng(reader);
    return DecodeOutcome::Failed;
  }
  ReadPngRows(reader, image.pixels.data());  // a partial image is kept all the same
  ReleasePng(reader);
  return DecodeOutcome::Loaded;
}

}  // namespace codec
