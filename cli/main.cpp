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

// The one error line for a codec failure on `file`.
int FailWith(codec::Error error, const std::string& file, int openErrno) {
  std::string cause = codec::ErrorText(error);
  if (error == codec::Error::CannotOpen) cause += std::string(": ") + std::strerror(openErrno);
  if (error == codec::Error::TooLarge) {
    cause = "text too large: at most " + std::to_string(codec::kMaxTextBytes) +
            " bytes fit in a picture";
  }
  return Fail(error == codec::Error::TooLarge ? kExitTooLarge : kExitFile, file, cause);
}

codec::TextRead ReadSource(const std::string& input, codec::PixelList& pixels) {
  if (input == kStdio) return codec::ReadStreamFrom(stdin, pixels);
  return codec::ReadStreamSource(input, pixels);
}

int WriteOutput(const std::string& bytes, const std::string& output) {
  if (output == kStdio) {
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
    if (!written || std::fflush(stdout) != 0) {
      return Fail(kExitFile, "standard output", std::string("cannot write: ") + std::strerror(errno));
    }
    return kExitOk;
  }
  errno = 0;
  if (!sysio::ReplaceFileAtomically(output, bytes)) {
    return Fail(kExitFile, output,
                std::string("cannot write") + (errno != 0 ? std::string(": ") + std::strerror(errno) : ""));
  }
  return kExitOk;
}

int Encode(const std::string& input, const std::string& output) {
  const std::string inputName = input == kStdio ? "standard input" : input;
  codec::PixelList pixels;
  errno = 0;
  const codec::TextRead read = ReadSource(input, pixels);
  if (read.error != codec::Error::None) return FailWith(read.error, inputName, errno);
  const codec::Result<codec::Image> drawn = codec::DrawStreamImage(pixels, read.textBytes);
  if (!drawn.ok()) return FailWith(drawn.error, inputName, 0);
  const codec::Result<std::string> png = codec::EncodePng(drawn.value);
  if (!png.ok()) return FailWith(png.error, output, 0);
  return WriteOutput(png.value, output);
}

int Decode(const std::string& input, const std::string& output) {
  errno = 0;
  const codec::Result<codec::Image> loaded = codec::LoadImageFile(input);
  if (loaded.error == codec::Error::TooLarge) {  // the picture, not a text, is over the limits
    return Fail(kExitFile, input, "picture too large: over " + std::to_string(codec::kMaxPicturePixels) +
                                      " pixels or a side over " + std::to_string(codec::kMaxImageSide));
  }
  if (!loaded.ok()) return FailWith(loaded.error, input, errno);
  return WriteOutput(codec::DecodeText(loaded.value), output);  // an icon gives ""
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
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
