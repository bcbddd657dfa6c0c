// The process's own inputs and outputs: its command-line arguments and its standard streams.
#pragma once

#include <string>
#include <vector>

namespace sysio {

// The command-line arguments after the program's name, as UTF-8. On POSIX
// they are argv as it is; on Windows argv holds the ANSI code page's form
// (every other character lost), so they are read from the UTF-16 command
// line instead.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Puts standard input and standard output into binary mode, so that their
// bytes pass unchanged (Windows' text mode turns "\n" into "\r\n" on output
// and "\r\n" into "\n" on input; POSIX has no such mode). Standard error
// stays as it is: it carries text for people. False when a stream refuses.
bool UseBinaryStandardStreams();

}  // namespace sysio
