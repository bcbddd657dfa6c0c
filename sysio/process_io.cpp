// Command-line arguments and binary standard streams: argv and nothing to do on POSIX, the wide command line and _setmode on Windows.
#include "sysio/process_io.h"

#ifdef _WIN32
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>  // after windows.h, whose types it uses

#include "sysio/wide_text.h"
#endif

#include <cstdio>

namespace sysio {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
#ifdef _WIN32
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide != nullptr) {
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) args.push_back(windows::Narrow(wide[i]));
    ::LocalFree(wide);
    return args;
  }
#endif
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

#ifdef _WIN32
namespace {

// A stream the process was started without (no descriptor) needs no mode.
bool MakeBinary(std::FILE* stream) {
  const int fd = ::_fileno(stream);
  return fd < 0 || ::_setmode(fd, _O_BINARY) != -1;
}

}  // namespace
#endif

bool UseBinaryStandardStreams() {
#ifdef _WIN32
  const bool input = MakeBinary(stdin);
  const bool output = MakeBinary(stdout);
  return input && output;
#else
  return true;
#endif
}

}  // namespace sysio
