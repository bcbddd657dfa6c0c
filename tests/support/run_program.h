// Runs a program with its standard streams joined to files and returns its exit code: posix_spawn, or CreateProcessW on Windows.
#pragma once

#ifdef _WIN32
#include "tests/support/windows_headers.h"
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#endif

#include <string>
#include <vector>

#ifndef _WIN32
extern char** environ;
#endif

namespace fake {

// Where a run's standard streams come from and go to, and where it runs.
struct ProgramStreams {
  std::string input;   // a file to read; empty: the null device
  std::string output;  // files made (or emptied) for the output and errors
  std::string errors;
  std::string folder;  // the working folder; empty: the test's own
};

#ifdef _WIN32

namespace run_program_detail {

inline std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
  return wide;
}

// One argument as CommandLineToArgvW will read it back: quoted, with the
// backslashes before a quote (and before the closing quote) doubled.
inline std::wstring Quoted(const std::wstring& arg) {
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(backslashes * 2, L'\\');
  quoted.push_back(L'"');
  return quoted;
}

inline HANDLE Inheritable(const std::string& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  const std::wstring name = path.empty() ? L"NUL" : Wide(path);
  return ::CreateFileW(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       &inherit, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace run_program_detail

// Runs `program` (UTF-8 path, arguments UTF-8) to its end; its exit code,
// -1 when it could not be started.
inline int RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const ProgramStreams& streams) {
  using namespace run_program_detail;
  std::wstring commandLine = Quoted(Wide(program));
  for (const std::string& arg : args) commandLine += L" " + Quoted(Wide(arg));
  HANDLE in = Inheritable(streams.input, GENERIC_READ, OPEN_EXISTING);
  HANDLE out = Inheritable(streams.output, GENERIC_WRITE, CREATE_ALWAYS);
  HANDLE err = Inheritable(streams.errors, GENERIC_WRITE, CREATE_ALWAYS);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  const std::wstring folder = Wide(streams.folder);
  const bool started = in != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE &&
                       err != INVALID_HANDLE_VALUE &&
                       ::CreateProcessW(Wide(program).c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        0, nullptr, folder.empty() ? nullptr : folder.c_str(), &startup,
                                        &process);
  for (HANDLE h : {in, out, err}) {
    if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
  }
  if (!started) return -1;
  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  ::GetExitCodeProcess(process.hProcess, &code);
  ::CloseHandle(process.hProcess);
  ::CloseHandle(process.hThread);
  return static_cast<int>(code);
}

#else

inline int RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const ProgramStreams& streams) {
  std::vector<std::string> argv0 = {program};
  argv0.insert(argv0.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argv0) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  const std::string input = streams.input.empty() ? "/dev/null" : streams.input;
  posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, streams.output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, streams.errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (!streams.folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, streams.folder.c_str());
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

#endif

}  // namespace fake
