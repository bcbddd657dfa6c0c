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
// libjpeg's own working memory. A picture of several scans keeps all its
// coefficients, 2 bytes a sample: 3 bytes a pixel with the usual halved
// colour planes, so a picture at the budget fits with room for the rest.
// Beyond this the decode fails as out of memory instead of growing.
constexpr long kMaxDecoderMemory = long(kMaxPicturePixels) * 3 + (16L << 20);
// Scans a picture may have: common encoders write up to about a dozen.
// Each scan walks every block of the picture even when its data is a few
// bytes, so a file of thousands of empty scans would cost that many walks.
constexpr int kMaxScans = 64;

// libjpeg's errors leave by longjmp to `jump`; its messages go nowhere.
struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  bool dataEnded;   // libjpeg warned that the data ran out or hit a marker
  int failure;      // the message code of the error that ended the decode
};

// The decoder's state between its steps; a plain struct (see ReadPng).
struct JpegReader {
  jpeg_decompress_struct info;
  JpegError error;
  bool created = false;
  JDIMENSION rowsCopied = 0;  // rows of the image that hold decoded pixels
};

[[noreturn]] void ErrorExit(j_common_ptr common) {
  auto* error = reinterpret_cast<JpegError*>(common->err);
  error->failure = error->manager.msg_code;
  std::longjmp(error->jump, 1);
}
void QuietMessage(j_common_ptr) {}
// Warnings are not shown; the two that say the data ran out (libjpeg then
// makes up the rest of the picture) or hit a marker in the middle of a
// scan (it pads the scan with nothing) are noted, so that the decode ends
// there and keeps what arrived instead of making up every remaining row.
void NoteEmit(j_common_ptr common, int level) {
  auto* error = reinterpret_cast<JpegError*>(common->err);
  const int code = error->manager.msg_code;
  if (level < 0 && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER)) error->dataEnded = true;
}

bool OutOfMemory(const JpegReader& reader) {
  return reader.error.failure == JERR_OUT_OF_MEMORY ||
         reader.error.failure == JERR_NO_BACKING_STORE;
}

bool StartsAsJpeg(ByteSource& source) {
  std::uint8_t start[2] = {0, 0};
  const bool jpeg = ReadBytes(source, start, 2) == 2 && start[0] == kJpegStart0 &&
                    start[1] == kJpegStart1;
  return SeekTo(source, 0) && jpeg;
}

// The check: header and output size. No C++ object with a destructor lives
// here or in the row readers: libjpeg leaves them by longjmp.
DecodeOutcome CheckJpeg(JpegReader& reader, ByteSource& source) {
  reader.info.err = jpeg_std_error(&reader.error.manager);
  reader.error.manager.error_exit = ErrorExit;
  reader.error.manager.output_message = QuietMessage;
  reader.error.manager.emit_message = NoteEmit;
  if (setjmp(reader.error.jump)) return DecodeOutcome::Declined;
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
  const JDIMENSION width = reader.info.output_width, height = reader.info.output_height;
  if (width < 1 || height < 1 || reader.info.output_components != kRgbComponents) {
    return DecodeOutcome::Declined;
  }
  return WithinPictureBudget(width, height) ? DecodeOutcome::Loaded : DecodeOutcome::TooLarge;
}

// Moves the scanlines to the rows of `pixels` (R, G, B, 0) until `rows`
// are done or the data ends; false when it ended.
bool CopyScanlines(JpegReader& reader, std::uint8_t* pixels, JDIMENSION rows) {
  const JDIMENSION width = reader.info.output_width;
  JSAMPARRAY line = (*reader.info.mem->alloc_sarray)(
      reinterpret_cast<j_common_ptr>(&reader.info), JPOOL_IMAGE, width * kRgbComponents, 1);
  while (reader.info.output_scanline < rows) {
    std::uint8_t* row = pixels + std::size_t(reader.info.output_scanline) * width * 4;
    if (jpeg_read_scanlines(&reader.info, line, 1) != 1 || reader.error.dataEnded) return false;
    for (JDIMENSION x = 0; x < width; ++x) {
      row[x * 4] = line[0][x * 3];
      row[x * 4 + 1] = line[0][x * 3 + 1];
      row[x * 4 + 2] = line[0][x * 3 + 2];
    }
    reader.rowsCopied = reader.info.output_scanline;
  }
  return true;
}

// One scan: rows are made as the data arrives, and end where it breaks.
bool ReadSingleScan(JpegReader& reader, std::uint8_t* pixels) {
  if (setjmp(reader.error.jump)) return false;
  jpeg_start_decompress(&reader.info);
  if (!CopyScanlines(reader, pixels, reader.info.output_height)) return false;
  jpeg_finish_decompress(&reader.info);
  return true;
}

// Several scans (a progressive picture): all the data is read into the
// coefficients first, scan by scan, until it ends, breaks or holds too many
// scans; then the rows are made from what arrived. When the break came in
// the first scan, the rows it never reached have no data at all and stay 0.
bool ReadScans(JpegReader& reader, std::uint8_t* pixels) {
  if (setjmp(reader.error.jump)) return false;
  reader.info.buffered_image = TRUE;
  jpeg_start_decompress(&reader.info);
  int status = JPEG_SUSPENDED;
  do {
    status = jpeg_consume_input(&reader.info);
  } while (status != JPEG_REACHED_EOI && status != JPEG_SUSPENDED && !reader.error.dataEnded &&
           reader.info.input_scan_number <= kMaxScans);
  const bool whole = status == JPEG_REACHED_EOI;
  const int scan = reader.info.input_scan_number;
  JDIMENSION rows = reader.info.output_height;
  if (!whole && scan <= 1) {
    // The row of blocks the break came in is made up past it: left out.
    const JDIMENSION blockRows = reader.info.input_iMCU_row > 0 ? reader.info.input_iMCU_row - 1 : 0;
    const JDIMENSION reached = blockRows * JDIMENSION(reader.info.max_v_samp_factor) *
                               JDIMENSION(reader.info.min_DCT_scaled_size);
    if (reached < rows) rows = reached;
  }
  // A later scan that broke off is shown as far as it came, on top of the
  // scans before it, without reading on (which showing it as the last scan
  // would do).
  reader.error.dataEnded = false;
  jpeg_start_output(&reader.info, whole || scan <= 1 ? scan : scan - 1);
  const bool copied = CopyScanlines(reader, pixels, rows);
  if (!whole || !copied) return false;
  jpeg_finish_output(&reader.info);
  jpeg_finish_decompress(&reader.info);
  return true;
}

}  // namespace

DecodeOutcome ReadJpeg(ByteSource& source, Image& image) {
  if (!StartsAsJpeg(source)) return DecodeOutcome::Declined;
  JpegReader reader{};
  DecodeOutcome outcome = CheckJpeg(reader, source);
  if (outcome == DecodeOutcome::Loaded) {
    const int width = static_cast<int>(reader.info.output_width);
    const int height = static_cast<int>(reader.info.output_height);
    outcome = AllocateImage(image, width, height, 24);
  }
  if (outcome == DecodeOutcome::Loaded) {
    const bool scans = jpeg_has_multiple_scans(&reader.info);
    std::uint8_t* pixels = image.pixels.data();
    // A partial image is kept all the same, its rows after the break 0; a
    // decoder out of memory made none.
    if (!(scans ? ReadScans(reader, pixels) : ReadSingleScan(reader, pixels))) {
      image.filledRows = static_cast<int>(reader.rowsCopied);
      if (OutOfMemory(reader)) {
        image = Image{};
        outcome = DecodeOutcome::OutOfMemory;
      }
    }
  }
  if (reader.created) jpeg_destroy_decompress(&reader.info);
  return outcome;
}

}  // namespace codec
