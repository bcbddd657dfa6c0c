// Runs a program with its standard streams joined to files or a pipe: posix_spawn, or CreateProcessW on Windows.
#pragma once

#ifdef _WIN32
#include "tests/support/windows_headers.h"
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
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
  std::string output;  // a file made (or emptied) for the output; empty: captured through a pipe
  std::string errors;  // a file made (or emptied) for the errors
  std::string folder;  // the working folder; empty: the test's own
};

struct ProgramResult {
  int exitCode = -1;        // -1 when it did not start or was ended from outside
  bool terminated = false;  // ended by Terminate (POSIX: by SIGTERM)
  std::string out;          // what it wrote to a captured output
};

// One run of a program: started by the constructor, ended by Finish.
class RunningProgram {
 public:
  // Starts `program` (a UTF-8 path) with `args` (UTF-8).
  RunningProgram(const std::string& program, const std::vector<std::string>& args, const ProgramStreams& streams);
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  bool Started() const;
  // Ends it from outside: SIGTERM on POSIX (its handlers run), TerminateProcess
  // on Windows (nothing of it runs).
  void Terminate();
  // Reads a captured output to its end and waits for the program to end.
  ProgramResult Finish();

 private:
#ifdef _WIN32
  static constexpr UINT kTerminatedCode = 143;  // as a shell reports an end by SIGTERM
  HANDLE m_process = nullptr;
  HANDLE m_outputPipe = nullptr;
#else
  pid_t m_pid = -1;
  int m_outputPipe = -1;
#endif
};

// Runs `program` to its end.
inline ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                                const ProgramStreams& streams) {
  RunningProgram running(program, args, streams);
  return running.Finish();
}

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

inline RunningProgram::RunningProgram(const std::string& program, const std::vector<std::string>& args,
                                      const ProgramStreams& streams) {
  using namespace run_program_detail;
  std::wstring commandLine = Quoted(Wide(program));
  for (const std::string& arg : args) commandLine += L" " + Quoted(Wide(arg));
  HANDLE in = Inheritable(streams.input, GENERIC_READ, OPEN_EXISTING);
  HANDLE err = Inheritable(streams.errors, GENERIC_WRITE, CREATE_ALWAYS);
  HANDLE out = INVALID_HANDLE_VALUE;
  if (streams.output.empty()) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    if (::CreatePipe(&m_outputPipe, &out, &inherit, 0)) {
      ::SetHandleInformation(m_outputPipe, HANDLE_FLAG_INHERIT, 0);  // our end stays ours
    } else {
      m_outputPipe = nullptr;
      out = INVALID_HANDLE_VALUE;
    }
  } else {
    out = Inheritable(streams.output, GENERIC_WRITE, CREATE_ALWAYS);
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  const std::wstring folder = Wide(streams.folder);
  const bool ready = in != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE;
  if (ready && ::CreateProcessW(Wide(program).c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
    m_process = process.hProcess;
    ::CloseHandle(process.hThread);
  }
  // The child has its copies; without ours closed, the pipe would never end.
  for (HANDLE h : {in, out, err}) {
    if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
  }
}

inline RunningProgram::~RunningProgram() {
  if (m_outputPipe != nullptr) ::CloseHandle(m_outputPipe);
  if (m_process != nullptr) {
    ::WaitForSingleObject(m_process, INFINITE);
    ::CloseHandle(m_process);
  }
}

inline bool RunningProgram::Started() const { return m_process != nullptr; }

inline void RunningProgram::Terminate() {
  if (m_process != nullptr) ::TerminateProcess(m_process, kTerminatedCode);
}

inline ProgramResult RunningProgram::Finish() {
  ProgramResult result;
  if (m_outputPipe != nullptr) {
    char piece[65536];
    DWORD got = 0;
    while (::ReadFile(m_outputPipe, piece, sizeof piece, &got, nullptr) && got > 0) result.out.append(piece, got);
    ::CloseHandle(m_outputPipe);
    m_outputPipe = nullptr;
  }
  if (m_process == nullptr) return result;
  ::WaitForSingleObject(m_process, INFINITE);
  DWORD code = 0;
  ::GetExitCodeProcess(m_process, &code);
  ::CloseHandle(m_process);
  m_process = nullptr;
  result.terminated = code == kTerminatedCode;
  result.exitCode = result.terminated ? -1 : static_cast<int>(code);
  return result;
}

#else

inline RunningProgram::RunningProgram(const std::string& program, const std::vector<std::string>& args,
                                      const ProgramStreams& streams) {
  int pipeFds[2] = {-1, -1};
  if (streams.output.empty() && ::pipe2(pipeFds, O_CLOEXEC) != 0) return;
  std::vector<std::string> argv0 = {program};
  argv0.insert(argv0.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argv0) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  const std::string input = streams.input.empty() ? "/dev/null" : streams.input;
  posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
  if (streams.output.empty()) {
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, streams.output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  }
  posix_spawn_file_actions_addopen(&actions, 2, streams.errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (!streams.folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, streams.folder.c_str());
  if (::posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) m_pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  if (streams.output.empty()) {
    ::close(pipeFds[1]);
    m_outputPipe = pipeFds[0];
  }
}

inline RunningProgram::~RunningProgram() {
  if (m_outputPipe >= 0) ::close(m_outputPipe);
  if (m_pid > 0) ::waitpid(m_pid, nullptr, 0);
}

inline bool RunningProgram::Started() const { return m_pid > 0; }

inline void RunningProgram::Terminate() {
  if (m_pid > 0) ::kill(m_pid, SIGTERM);
}

inline ProgramResult RunningProgram::Finish() {
  ProgramResult result;
  if (m_outputPipe >= 0) {
    char piece[65536];
    ssize_t got;
    while ((got = ::read(m_outputPipe, piece, sizeof piece)) > 0) result.out.append(piece, static_cast<std::size_t>(got));
    ::close(m_outputPipe);
    m_outputPipe = -1;
  }
  if (m_pid <= 0) return result;
  int status = 0;
  const bool waited = ::waitpid(m_pid, &status, 0) == m_pid;
  m_pid = -1;
  if (waited && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  result.terminated = waited && WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM;
  return result;
}

#endif

}  // namespace fake
