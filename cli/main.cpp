// letterloom-cli: encodes a text file into a PNG and decodes such a PNG back, from a shell.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "codec/codec_error.h"
#include "codec/encode_stream.h"
#include "codec/image_loader.h"
#include "codec/png_writer.h"
#include "codec/stream_decoder.h"
#include "resources/version.h"
#include "sysio/files.h"
#include "sysio/io_status.h"
#include "sysio/output_file.h"
#include "sysio/process_io.h"
#include "sysio/signal_cleanup.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;
constexpr int kExitFile = 2;
constexpr int kExitTooLarge = 3;
constexpr char kProgram[] = "letterloom-cli";
constexpr char kStdio[] = "-";

constexpr char kUsage[] =
    "usage: letterloom-cli encode INPUT OUTPUT\n"
    "       letterloom-cli decode INPUT [OUTPUT]\n"
    "       letterloom-cli --help | --version\n";

constexpr char kHelp[] =
    "\n"
    "  encode INPUT OUTPUT    writes the PNG holding the bytes of INPUT to OUTPUT\n"
    "                         (\"-\" as INPUT reads standard input)\n"
    "  decode INPUT [OUTPUT]  writes the text held by the PNG INPUT to OUTPUT\n"
    "                         (standard output when OUTPUT is absent or \"-\")\n"
    "\n"
    "An existing regular OUTPUT is replaced whole, keeping its mode; a link's\n"
    "target is written; a device or pipe (/dev/stdout too) is written into;\n"
    "a write-protected file or a folder is refused.\n"
    "\n"
    "Exit status: 0 done, 1 bad usage, 2 a file cannot be read, loaded or\n"
    "written, 3 the text is too large for the largest picture.\n";

int Fail(int code, const std::string& file, const std::string& cause) {
  std::fprintf(stderr, "%s: %s: %s\n", kProgram, file.c_str(), cause.c_str());
  return code;
}

int Usage() {
  std::fputs(kUsage, stderr);
  return kExitUsage;
}

// The one error line for a codec failure on `file`; `cause` says why a
// file could not be opened when the error is CannotOpen.
int FailWith(codec::Error error, const std::string& file, const sysio::IoStatus& cause = {}) {
  std::string text = codec::ErrorText(error);
  if (error == codec::Error::CannotOpen && !cause.ok()) text += ": " + cause.Text();
  if (error == codec::Error::TooLarge) {
    text = "text too large: at most " + std::to_string(codec::kMaxTextBytes) + " bytes fit in a picture";
  }
  return Fail(error == codec::Error::TooLarge ? kExitTooLarge : kExitFile, file, text);
}

int FailToWrite(const std::string& file, const sysio::IoStatus& cause) {
  return Fail(kExitFile, file, "cannot write: " + cause.Text());
}

// Writes the result by the rule of sysio::OutputFile: a regular file is
// replaced atomically, a device or pipe written into, a folder or a
// write-protected file refused.
int WriteOutput(const std::string& bytes, const std::string& output) {
  const bool standard = output == kStdio;
  const std::string name = standard ? "standard output" : output;
  sysio::OutputFile file = standard ? sysio::OutputFile::StandardOutput() : sysio::OutputFile(output);
  if (!file.status()) return FailToWrite(name, file.status());
  sysio::IoStatus written = file.Write(bytes);
  if (written) written = file.Commit();
  return written ? kExitOk : FailToWrite(name, written);
}

int Encode(const std::string& input, const std::string& output) {
  const bool standard = input == kStdio;
  const std::string inputName = standard ? "standard input" : input;
  sysio::IoStatus opened;
  std::FILE* file = standard ? stdin : sysio::OpenForReading(input, opened);
  if (file == nullptr) return FailWith(codec::Error::CannotOpen, inputName, opened);
  codec::PixelList pixels;
  const codec::TextRead read = codec::ReadStreamFrom(file, pixels);
  if (!standard) std::fclose(file);
  if (read.error != codec::Error::None) return FailWith(read.error, inputName);
  const codec::Result<codec::Image> drawn = codec::DrawStreamImage(pixels, read.textBytes);
  if (!drawn.ok()) return FailWith(drawn.error, inputName);
  const codec::Result<std::string> png = codec::EncodePng(drawn.value);
  if (!png.ok()) return FailWith(png.error, output);
  return WriteOutput(png.value, output);
}

int Decode(const std::string& input, const std::string& output) {
  errno = 0;
  const codec::Result<codec::Image> loaded = codec::LoadImageFile(input);
  if (loaded.error == codec::Error::TooLarge) {  // the picture, not a text, is over the limits
    return Fail(kExitFile, input, "picture too large: over " + std::to_string(codec::kMaxPicturePixels) +
                                      " pixels or a side over " + std::to_string(codec::kMaxImageSide));
  }
  // LoadImageFile leaves the cause of CannotOpen in errno.
  const sysio::IoStatus cause = errno != 0 ? sysio::IoStatus::Failure(errno) : sysio::IoStatus();
  if (!loaded.ok()) return FailWith(loaded.error, input, cause);
  return WriteOutput(codec::DecodeText(loaded.value), output);  // an icon gives ""
}

}  // namespace

int main(int argc, char** argv) {
  // A temporary output file never outlives an INT, TERM or HUP.
  sysio::RemoveTemporaryFilesOnSignals();
  // Texts and pictures pass through the standard streams byte for byte.
  if (!sysio::UseBinaryStandardStreams()) {
    return Fail(kExitFile, "standard input and output", "cannot be switched to binary mode");
  }
  const std::vector<std::string> args = sysio::ProgramArguments(argc, argv);
  if (args.size() == 1 && args[0] == "--help") {
    std::printf("%s%s", kUsage, kHelp);
    return kExitOk;
  }
  if (args.size() == 1 && args[0] == "--version") {
    std::printf("%s %s\n", kProgram, resources::kVersionText);
    return kExitOk;
  }
  if (args.size() == 3 && args[0] == "encode") return Encode(args[1], args[2]);
  if ((args.size() == 2 || args.size() == 3) && args[0] == "decode") {
    return Decode(args[1], args.size() == 3 ? args[2] : kStdio);
  }
  return Usage();
}
