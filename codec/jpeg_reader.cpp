// Reads a JPEG through libjpeg into a 24-bit image.
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

#include "codec/image_decoders.h"

namespace codec {

namespace {

constexpr std::uint8_t kJpegStart0 = 0xFF;
constexpr std::uint8_t kJpegStart1 = 0xD8;
constexpr int kRgbComponents = 3;
// libjpeg's own working memory (a progressive picture keeps all its
// coefficients); beyond this the decode fails instead of growing.
constexpr long kMaxDecoderMemory = 512L * 1024 * 1024;

// libjpeg's errors leave by longjmp to `jump`; its messages go nowhere.
struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  bool dataEnded;  // libjpeg warned that the data ended early
};

// The decoder's state between its steps; a plain struct (see ReadPng).
struct JpegReader {
  jpeg_decompress_struct info;
  JpegError error;
  bool created = false;
};

[[noreturn]] void ErrorExit(j_common_ptr common) {
  std::longjmp(reinterpret_cast<JpegError*>(common->err)->jump, 1);
}
void QuietMessage(j_common_ptr) {}
// Warnings are not shown; the one for data that ended early is noted, so
// that the decode keeps the rows read so far instead of making up the rest.
void NoteEmit(j_common_ptr common, int level) {
  auto* error = reinterpret_cast<JpegError*>(common->err);
  if (level < 0 && error->manager.msg_code == JWRN_JPEG_EOF) error->dataEnded = true;
}

bool StartsAsJpeg(ByteSource& source) {
  std::uint8_t start[2] = {0, 0};
  const bool jpeg = ReadBytes(source, start, 2) == 2 && start[0] == kJpegStart0 &&
                    start[1] == kJpegStart1;
  return SeekTo(source, 0) && jpeg;
}

// The check: header and output size. No C++ object with a destructor lives
// here or in ReadJpegRows: libjpeg leaves them by longjmp.
bool CheckJpeg(JpegReader& reader, ByteSource& source) {
  reader.info.err = jpeg_std_error(&reader.error.manager);
  reader.error.manager.error_exit = ErrorExit;
  reader.error.manager.output_message = QuietMessage;
  reader.error.manager.emit_message = NoteEmit;
  if (setjmp(reader.error.jump)) return false;
  jpeg_create_decompress(&reader.info);
  reader.created = true;
  reader.info.mem->max_memory_to_use = kMaxDecoderMemory;
  if (source.file != nullptr) {
    jpeg_stdio_src(&reader.info, source.file);
  } else {
    jpeg_mem_src(&reader.info, source.data, static_cast<unsigned long>(source.size));
  }
  jpeg_read_header(&reader.info, TRUE);
  reader.info.out_color_space = JCS_RGB;
  jpeg_calc_output_dimensions(&reader.info);
  return reader.info.output_width >= 1 && reader.info.output_width <= kMaxImageSide &&
         reader.info.output_height >= 1 && reader.info.output_height <= kMaxImageSide &&
         reader.info.output_components == kRgbComponents;
}

// The decode: each scanline widened to R, G, B, 0 in its row.
bool ReadJpegRows(JpegReader& reader, std::uint8_t* pixels) {
  if (setjmp(reader.error.jump)) return false;
  jpeg_start_decompress(&reader.info);
  // A progressive picture has read all its data by now: rows made from what
  // arrived are real rows. Only a break met while rows are read ends them.
  reader.error.dataEnded = false;
  const JDIMENSION width = reader.info.output_width;
  JSAMPARRAY line = (*reader.info.mem->alloc_sarray)(
      reinterpret_cast<j_common_ptr>(&reader.info), JPOOL_IMAGE, width * kRgbComponents, 1);
  while (reader.info.output_scanline < reader.info.output_height) {
    std::uint8_t* row = pixels + std::size_t(reader.info.output_scanline) * width * 4;
    if (jpeg_read_scanlines(&reader.info, line, 1) != 1 || reader.error.dataEnded) return false;
    for (JDIMENSION x = 0; x < width; ++x) {
      row[x * 4] = line[0][x * 3];
      row[x * 4 + 1] = line[0][x * 3 + 1];
      row[x * 4 + 2] = line[0][x * 3 + 2];
    }
  }
  jpeg_finish_decompress(&reader.info);
  return true;
}

}  // namespace

DecodeOutcome ReadJpeg(ByteSource& source, Image& image) {
  if (!StartsAsJpeg(source)) return DecodeOutcome::Declined;
  JpegReader reader{};
  DecodeOutcome outcome = DecodeOutcome::Declined;
  if (CheckJpeg(reader, source)) {
    const int width = static_cast<int>(reader.info.output_width);
    const int height = static_cast<int>(reader.info.output_height);
    outcome = DecodeOutcome::Failed;
    if (AllocateImage(image, width, height, 24)) {
      ReadJpegRows(reader, image.pixels.data());  // a partial image is kept all the same
      outcome = DecodeOutcome::Loaded;
    }
  }
  if (reader.created) jpeg_destroy_decompress(&reader.info);
  return outcome;
}

}  // namespace codec
