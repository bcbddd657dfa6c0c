// letterloom-cli: exit codes, outputs of every kind, error lines with their cause, and no file left behind.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "codec/pixel_stream.h"
#include "resources/version.h"
#include "support/codec_fixtures.h"
#include "support/hostile_pictures.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using fake::ReadWholeFile;
using fake::WriteWholeFile;

struct CliResult {
  int exitCode = -1;  // -1 when it ended by a signal
  int signal = 0;
  std::string out;
  std::string err;
};

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

class CliTest : public ::testing::Test {
 protected:
  // Starts the program in the test folder with `args`: standard input from
  // `input`, standard error to a file, standard output to `outFile` when
  // given, else into a pipe whose read end is `stdoutPipe`.
  pid_t Start(const std::vector<std::string>& args, const std::string& input, const std::string& outFile,
              int& stdoutPipe) {
    int pipeFds[2] = {-1, -1};
    if (outFile.empty() && ::pipe2(pipeFds, O_CLOEXEC) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, dir.Root().c_str());
    posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    if (outFile.empty()) {
      posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    } else {
      posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    const std::string errFile = m_out.File("err");
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> argv = {LETTERLOOM_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& arg : argv) pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawn(&pid, LETTERLOOM_CLI_PATH, &actions, nullptr, pointers.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    if (outFile.empty()) {
      ::close(pipeFds[1]);
      stdoutPipe = pipeFds[0];
    }
    return pid;
  }

  CliResult Finish(pid_t pid, int stdoutPipe, const std::string& outFile) {
    CliResult run;
    if (stdoutPipe >= 0) {
      char piece[65536];
      ssize_t got;
      while ((got = ::read(stdoutPipe, piece, sizeof piece)) > 0) run.out.append(piece, static_cast<std::size_t>(got));
      ::close(stdoutPipe);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (stdoutPipe < 0) run.out = ReadWholeFile(outFile);
    if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
    run.err = ReadWholeFile(m_out.File("err"));
    return run;
  }

  CliResult Cli(const std::vector<std::string>& args, const std::string& input = "/dev/null",
                const std::string& outFile = "") {
    int stdoutPipe = -1;
    const pid_t pid = Start(args, input, outFile, stdoutPipe);
    if (pid < 0) return {};
    return Finish(pid, stdoutPipe, outFile);
  }

  std::string Text(const std::string& name) const { return ReadWholeFile(dir.File(name)); }
  fake::TempDir dir;
  fake::TempDir m_out;
};

TEST_F(CliTest, UsageHelpAndVersion) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {}, {"bogus"}, {"encode", "only-input"}, {"decode"}, {"encode", "a", "b", "c"}}) {
    const CliResult run = Cli(args);
    EXPECT_EQ(run.exitCode, 1) << args.size();
    EXPECT_NE(run.err.find("usage:"), std::string::npos);
  }
  EXPECT_EQ(Cli({"--help"}).exitCode, 0);
  const CliResult version = Cli({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, std::string("letterloom-cli ") + resources::kVersionText + "\n");
}

TEST_F(CliTest, EncodeAndDecodeWithFilesAndStandardStreams) {
  const std::string text = "Hi!\r\nsecond line \xE9\n";
  WriteWholeFile(dir.File("in.txt"), text);
  ASSERT_EQ(Cli({"encode", "in.txt", "picture"}).exitCode, 0);  // no extension added
  EXPECT_EQ(dir.Entries(), (std::set<std::string>{"in.txt", "picture"}));
  EXPECT_EQ(Cli({"decode", "picture"}).out, text);
  EXPECT_EQ(Cli({"decode", "picture", "-"}).out, text);
  ASSERT_EQ(Cli({"decode", "picture", "back.txt"}).exitCode, 0);
  EXPECT_EQ(Text("back.txt"), text);
  ASSERT_EQ(Cli({"encode", "-", "piped.png"}, dir.File("in.txt")).exitCode, 0);
  EXPECT_EQ(Text("piped.png"), Text("picture"));
}

// What stands at OUTPUT decides: replaced atomically, written into, or refused.
TEST_F(CliTest, OutputOfEveryKind) {
  const std::string text = "the decoded secret";
  WriteWholeFile(dir.File("t.txt"), text);
  ASSERT_EQ(Cli({"encode", "t.txt", "p.png"}).exitCode, 0);
  const mode_t umask = ::umask(0);
  ::umask(umask);
  const auto oldFile = [this](const std::string& name, mode_t mode) {
    WriteWholeFile(dir.File(name), "old");
    ::chmod(dir.File(name).c_str(), mode);
  };
  struct Case {
    const char* name;
    std::function<void()> make;
    int exitCode;
    std::string cause;                         // in the error line when refused
    std::function<void(const CliResult&)> check;
  };
  const std::vector<Case> cases = {
      {"new file", [] {}, 0, "",
       [&](const CliResult&) {
         EXPECT_EQ(Text("out"), text);
         EXPECT_EQ(ModeOf(dir.File("out")), 0666 & ~umask);
       }},
      {"regular 0644", [&] { oldFile("out", 0644); }, 0, "",
       [&](const CliResult&) {
         EXPECT_EQ(Text("out"), text);
         EXPECT_EQ(ModeOf(dir.File("out")), 0644u);
       }},
      {"private 0600", [&] { oldFile("out", 0600); }, 0, "",
       [&](const CliResult&) {
         EXPECT_EQ(Text("out"), text);
         EXPECT_EQ(ModeOf(dir.File("out")), 0600u);
       }},
      {"write-protected 0444", [&] { oldFile("out", 0444); }, 2, "cannot write: Permission denied",
       [&](const CliResult&) {
         EXPECT_EQ(Text("out"), "old");
         EXPECT_EQ(ModeOf(dir.File("out")), 0444u);
       }},
      {"symlink",
       [&] {
         oldFile("target", 0640);
         fs::create_symlink("target", dir.File("out"));
       },
       0, "",
       [&](const CliResult&) {
         EXPECT_TRUE(fs::is_symlink(dir.File("out")));
         EXPECT_EQ(Text("target"), text);
         EXPECT_EQ(ModeOf(dir.File("target")), 0640u);
       }},
      {"dangling symlink", [&] { fs::create_symlink("nowhere", dir.File("out")); }, 2,
       "cannot write: No such file",
       [&](const CliResult&) { EXPECT_FALSE(fs::exists(dir.File("nowhere"))); }},
      {"hard link",
       [&] {
         oldFile("out", 0644);
         fs::create_hard_link(dir.File("out"), dir.File("other-name"));
       },
       0, "",
       [&](const CliResult&) {
         EXPECT_EQ(Text("out"), text);
         EXPECT_EQ(Text("other-name"), text);
       }},
      {"folder", [&] { fs::create_directory(dir.File("out")); }, 2, "cannot write: Is a directory",
       [&](const CliResult&) { EXPECT_TRUE(fs::is_directory(dir.File("out"))); }},
      {"/dev/stdout as a pipe", [] {}, 0, "",
       [&](const CliResult& run) { EXPECT_EQ(run.out, text); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.make();
    const std::set<std::string> before = dir.Entries();
    const std::string output = std::string(c.name).starts_with("/dev/stdout") ? "/dev/stdout" : "out";
    const CliResult run = Cli({"decode", "p.png", output});
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    if (c.exitCode != 0) {
      EXPECT_NE(run.err.find("out: " + c.cause), std::string::npos) << run.err;
    } else {
      EXPECT_EQ(run.err, "");
    }
    c.check(run);
    std::set<std::string> after = dir.Entries();
    std::set<std::string> expected = before;
    after.erase("out");
    expected.erase("out");
    EXPECT_EQ(after, expected) << "nothing but OUTPUT may appear";
    for (const std::string& name : dir.Entries()) {
      if (name != "t.txt" && name != "p.png") fs::remove_all(dir.File(name));
    }
  }
}

// A device or a pipe is written into, never replaced by a file.
TEST_F(CliTest, DeviceAndPipeOutputsAreWrittenInto) {
  const std::string text = std::string(100000, 'q') + "end";
  WriteWholeFile(dir.File("t.txt"), text);
  ASSERT_EQ(Cli({"encode", "t.txt", "p.png"}).exitCode, 0);

  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] {
    const int fd = ::open(dir.File("fifo").c_str(), O_RDONLY | O_CLOEXEC);
    char piece[65536];
    ssize_t got;
    while ((got = ::read(fd, piece, sizeof piece)) > 0) received.append(piece, static_cast<std::size_t>(got));
    ::close(fd);
  });
  const CliResult run = Cli({"decode", "p.png", "fifo"});
  // Should the program never have opened the pipe, this lets the reader end.
  const int unblock = ::open(dir.File("fifo").c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (unblock >= 0) ::close(unblock);
  reader.join();
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(received == text) << received.size() << " bytes received";
  EXPECT_TRUE(fs::is_fifo(dir.File("fifo")));

  // /dev/stdout when standard output is a file: written into that file.
  const std::string outFile = m_out.File("stdout-file");
  const CliResult toFile = Cli({"decode", "p.png", "/dev/stdout"}, "/dev/null", outFile);
  EXPECT_EQ(toFile.exitCode, 0) << toFile.err;
  EXPECT_TRUE(toFile.out == text);

  // A character device of our own making, where the system lets us make one
  // (the null device: what is written goes nowhere).
  const std::string device = dir.File("device");
  if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
    const int probe = ::open(device.c_str(), O_WRONLY | O_CLOEXEC);
    if (probe >= 0) {
      ::close(probe);
      const CliResult toDevice = Cli({"decode", "p.png", "device"});
      EXPECT_EQ(toDevice.exitCode, 0) << toDevice.err;
      struct stat st {};
      ASSERT_EQ(::lstat(device.c_str(), &st), 0);
      EXPECT_TRUE(S_ISCHR(st.st_mode));
    }
  }
  EXPECT_EQ(dir.Entries().count("fifo"), 1u);
}

TEST_F(CliTest, FailuresExitWithTheirCodeAndLeaveNoOutput) {
  WriteWholeFile(dir.File("in.txt"), "some text");
  WriteWholeFile(dir.File("big.txt"), std::string(codec::kMaxTextBytes + 1, 'x'));
  WriteWholeFile(dir.File("old.png"), "the old content");
  const hostile::Bytes huge = hostile::FloodPng(32767, 32767, 'A', 1);
  WriteWholeFile(dir.File("huge.png"), std::string(huge.begin(), huge.end()));
  fs::create_directory(dir.File("folder"));
  // Pipes without a writer: neither command may wait for one.
  ASSERT_EQ(mkfifo(dir.File("pipe").c_str(), 0600), 0);
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string named;  // the file the error line names
    std::string cause;  // and the cause it gives
  };
  const std::vector<Case> cases{
      {{"encode", "absent.txt", "out.png"}, 2, "absent.txt", "cannot open: No such file or directory"},
      {{"encode", "folder", "out.png"}, 2, "folder", "cannot open: Is a directory"},
      {{"encode", "in.txt", "no-folder/out.png"}, 2, "no-folder/out.png", "cannot write: No such file or directory"},
      {{"encode", "in.txt", "folder"}, 2, "folder", "cannot write: Is a directory"},
      {{"encode", "big.txt", "out.png"}, 3, "big.txt", "text too large"},
      {{"encode", "big.txt", "old.png"}, 3, "big.txt", "text too large"},
      {{"decode", "absent.png", "out.txt"}, 2, "absent.png", "cannot open: No such file or directory"},
      {{"decode", "folder", "out.txt"}, 2, "folder", "cannot open: Is a directory"},
      {{"decode", "in.txt", "out.txt"}, 2, "in.txt", "not a picture"},
      {{"decode", "in.txt"}, 2, "in.txt", "not a picture"},
      {{"decode", "pipe", "out.txt"}, 2, "pipe", "cannot be read"},
      {{"decode", "huge.png", "out.txt"}, 2, "huge.png", "picture too large"},
  };
  const std::set<std::string> before = dir.Entries();
  for (const Case& c : cases) {
    const CliResult run = Cli(c.args);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.args[1];
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(c.named + ": " + c.cause), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("Success"), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(dir.Entries(), before) << c.args[1];  // nothing new, no temporary file left
  }
  EXPECT_EQ(Text("old.png"), "the old content");
}

// TERM at moments spread over a decode of a large picture: the program ends
// by the signal or completes, and never leaves a temporary or a torn output.
TEST_F(CliTest, TerminatedDecodeLeavesNoTemporaryFile) {
  std::string text(codec::kMaxTextBytes - 64, '\0');
  for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>('a' + i % 26);
  WriteWholeFile(dir.File("big.txt"), text);
  ASSERT_EQ(Cli({"encode", "big.txt", "big.png"}).exitCode, 0);
  fs::remove(dir.File("big.txt"));
  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(Cli({"decode", "big.png", "out.txt"}).exitCode, 0);
  const auto whole = std::chrono::steady_clock::now() - started;
  constexpr int kMoments = 6;
  for (int k = 1; k <= kMoments; ++k) {
    SCOPED_TRACE(k);
    fs::remove(dir.File("out.txt"));
    int stdoutPipe = -1;
    const pid_t pid = Start({"decode", "big.png", "out.txt"}, "/dev/null", "", stdoutPipe);
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(whole * k / kMoments);
    ::kill(pid, SIGTERM);
    const CliResult run = Finish(pid, stdoutPipe, "");
    EXPECT_TRUE(run.exitCode == 0 || run.signal == SIGTERM) << run.exitCode << " " << run.signal;
    std::set<std::string> entries = dir.Entries();
    entries.erase("out.txt");
    EXPECT_EQ(entries, std::set<std::string>{"big.png"});
    if (fs::exists(dir.File("out.txt"))) {
      EXPECT_TRUE(Text("out.txt") == text) << "a torn output";
    }
  }
}

}  // namespace
