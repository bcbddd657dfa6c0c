// letterloom-cli: encodes a text file into a PNG and decodes such a PNG back, from a shell.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "codec/encode_stream.h"
#include "codec/image_buffer.h"
#include "codec/image_loader.h"
#include "codec/png_writer.h"
#include "codec/stream_decoder.h"
#include "resources/version.h"

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

// A new, empty file beside `target` (same folder, so rename stays on one
// file system), with the permissions a plain new file would get; empty
// string on failure.
std::string MakeTempBeside(const std::string& target) {
  std::vector<char> name(target.begin(), target.end());
  const std::string suffix = ".tmp-XXXXXX";
  name.insert(name.end(), suffix.begin(), suffix.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) return {};
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  close(fd);
  return name.data();
}

// Moves a finished temporary file onto `target`; removes it when that fails.
bool Publish(const std::string& temp, const std::string& target) {
  if (std::rename(temp.c_str(), target.c_str()) == 0) return true;
  std::remove(temp.c_str());
  return false;
}

codec::ReadResult ReadSource(const std::string& input, codec::PixelList& pixels) {
  if (input == kStdio) return codec::ReadStreamFrom(stdin, pixels);
  return codec::ReadStreamSource(input, pixels);
}

int Encode(const std::string& input, const std::string& output) {
  codec::PixelList pixels;
  const std::string inputName = input == kStdio ? "standard input" : input;
  errno = 0;
  const codec::ReadResult read = ReadSource(input, pixels);
  switch (read.error) {
    case codec::ReadError::None:
      break;
    case codec::ReadError::CannotOpen:
      return Fail(kExitFile, inputName, std::string("cannot open: ") + std::strerror(errno));
    case codec::ReadError::CannotRead:
      return Fail(kExitFile, inputName, "cannot be read");
    case codec::ReadError::TooLarge:
      return Fail(kExitTooLarge, inputName,
                  "text too large: at most " + std::to_string(codec::kMaxTextBytes) +
                      " bytes fit in a picture");
  }
  codec::ImageStore store;
  const codec::DrawResult drawn = codec::DrawStream(store, codec::WorkImage, pixels, read.textBytes);
  if (drawn.error == codec::DrawError::TooLarge) {
    return Fail(kExitTooLarge, inputName, "text too large for a picture");
  }
  if (drawn.error != codec::DrawError::None) return Fail(kExitFile, output, "cannot make the picture");
  const std::string temp = MakeTempBeside(output);
  if (temp.empty()) return Fail(kExitFile, output, std::string("cannot write: ") + std::strerror(errno));
  if (codec::WritePng(store, codec::WorkImage, temp) != 1 || !Publish(temp, output)) {
    std::remove(temp.c_str());
    return Fail(kExitFile, output, "cannot write");
  }
  return kExitOk;
}

bool WriteAll(std::FILE* file, const std::string& bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

int WriteText(const std::string& text, const std::string& output) {
  if (output == kStdio) {
    if (!WriteAll(stdout, text) || std::fflush(stdout) != 0) {
      return Fail(kExitFile, "standard output", "cannot write");
    }
    return kExitOk;
  }
  const std::string temp = MakeTempBeside(output);
  if (temp.empty()) return Fail(kExitFile, output, std::string("cannot write: ") + std::strerror(errno));
  std::FILE* file = std::fopen(temp.c_str(), "wb");
  bool written = file != nullptr && WriteAll(file, text);
  if (file != nullptr) written = std::fclose(file) == 0 && written;
  if (!written || !Publish(temp, output)) {
    std::remove(temp.c_str());
    return Fail(kExitFile, output, "cannot write");
  }
  return kExitOk;
}

int Decode(const std::string& input, const std::string& output) {
  std::FILE* probe = std::fopen(input.c_str(), "rb");
  if (probe == nullptr) return Fail(kExitFile, input, std::string("cannot open: ") + std::strerror(errno));
  std::fclose(probe);
  codec::ImageStore store;
  if (!codec::LoadImageFile(store, codec::WorkImage, input)) {
    return Fail(kExitFile, input, "not a picture this program can load");
  }
  std::string text;
  if (store.StartDrawing(codec::WorkImage)) text = codec::DecodeStream(store);  // icons give ""
  store.StopDrawing();
  store.FreeImage(codec::WorkImage);
  return WriteText(text, output);
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
