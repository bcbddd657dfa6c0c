// letterloom-cli: exit codes, outputs of every kind, error lines with their cause, no file left behind, and the round trip of every kind of text.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "codec/pixel_stream.h"
#include "resources/version.h"
#include "support/codec_fixtures.h"
#include "support/file_modes.h"
#include "support/hostile_pictures.h"
#include "support/run_program.h"
#include "tests/support/windows_headers.h"

namespace {

namespace fs = std::filesystem;
using fake::ReadWholeFile;
using fake::WriteWholeFile;

struct CliResult {
  int exitCode = -1;        // -1 when it was ended from outside
  bool terminated = false;  // ended by SIGTERM (POSIX) or TerminateProcess (Windows)
  std::string out;
  std::string err;
};

// A path from UTF-8 (fs::path takes a narrow text in the ANSI code page on Windows).
fs::path Utf8Path(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

// Permission bits; on Windows 0444 (read-only attribute) or 0666.
unsigned ModeOf(const std::string& path) {
  return static_cast<unsigned>(fs::status(path).permissions() & fs::perms::mask);
}

// The mode a new file gets: 0666 less the umask (Windows: 0666).
unsigned NewFileMode() {
#ifdef _WIN32
  return 0666;
#else
  const mode_t umask = ::umask(0);
  ::umask(umask);
  return 0666 & ~umask;
#endif
}

class CliTest : public ::testing::Test {
 protected:
  // Starts the program in the test folder with `args` (UTF-8): standard
  // input from `input` (the null device when empty), standard error to a
  // file, standard output to `outFile` when given, else into a pipe.
  std::unique_ptr<fake::RunningProgram> Start(const std::vector<std::string>& args, const std::string& input = "",
                                              const std::string& outFile = "") {
    const fake::ProgramStreams streams{input, outFile, m_out.File("err"), dir.Root().string()};
    return std::make_unique<fake::RunningProgram>(LETTERLOOM_CLI_PATH, args, streams);
  }

  CliResult Finish(fake::RunningProgram& running) {
    const fake::ProgramResult result = running.Finish();
    return {result.exitCode, result.terminated, result.out, ReadWholeFile(m_out.File("err"))};
  }

  CliResult Cli(const std::vector<std::string>& args, const std::string& input = "",
                const std::string& outFile = "") {
    const auto running = Start(args, input, outFile);
    CliResult run = Finish(*running);
    if (!outFile.empty()) run.out = ReadWholeFile(outFile);
    return run;
  }

  std::string Text(const std::string& name) const { return ReadWholeFile(dir.File(name)); }
  fake::TempDir dir;
  fake::TempDir m_out;
};

// The texts a round trip must give back byte for byte: each line-end
// convention, both 8-bit encodings, bytes of every value but 0, nothing,
// and the most a picture holds. Zero bytes end nothing but are left out
// by the decoder: `back` is what comes back of a text that has them.
struct CorpusText {
  const char* name;
  std::string bytes;
  std::optional<std::string> back;
};

std::vector<CorpusText> Corpus() {
  std::string everyByte;
  for (int round = 0; round < 3; ++round) {
    for (int b = 1; b < 256; ++b) everyByte.push_back(static_cast<char>((b * 37 + round) % 255 + 1));
  }
  std::string largest(codec::kMaxTextBytes, '\0');
  for (std::size_t i = 0; i < largest.size(); ++i) {
    largest[i] = i % 71 == 70 ? '\n' : static_cast<char>('a' + (i * 7 + i / 71) % 26);
  }
  return {
      {"utf8", "Gr\xC3\xBC\xC3\x9F" "e, \xCE\xA9 \xE2\x82\xAC \xF0\x9F\x99\x82\nzweite Zeile\n", std::nullopt},
      {"cp1252-crlf", "Fran\xE7" "ais \x80 \x93quoted\x94\r\nligne deux\r\n", std::nullopt},
      {"lone-cr", "old Mac\rline ends\r\rand one\r", std::nullopt},
      {"binary-no-nul", everyByte, std::nullopt},
      {"with-nul", std::string("a\0b\0\0c\r\n\x1A", 9), "abc\r\n\x1A"},
      {"empty", "", std::nullopt},
      {"largest", largest, std::nullopt},
  };
}

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

// Through files and through the standard streams alike: the standard
// streams are binary, so no "\n" turns into "\r\n" on the way (Windows).
TEST_F(CliTest, CorpusRoundTripsByteForByte) {
  for (const CorpusText& text : Corpus()) {
    const std::string name = text.name;
    WriteWholeFile(dir.File(name + ".txt"), text.bytes);
    ASSERT_EQ(Cli({"encode", name + ".txt", name + ".png"}).exitCode, 0) << name;
    ASSERT_EQ(Cli({"decode", name + ".png", name + ".back"}).exitCode, 0) << name;
    const std::string back = text.back.value_or(text.bytes);
    EXPECT_TRUE(Text(name + ".back") == back) << name;
    const CliResult piped = Cli({"encode", "-", "-"}, dir.File(name + ".txt"));
    EXPECT_EQ(piped.exitCode, 0) << name << piped.err;
    EXPECT_TRUE(piped.out == Text(name + ".png")) << name;
    EXPECT_TRUE(Cli({"decode", name + ".png"}).out == back) << name;
  }
}

// An existing file takes the new picture whole: rename() alone would fail
// here on Windows, where it never replaces a file.
TEST_F(CliTest, EncodeReplacesAnExistingPicture) {
  WriteWholeFile(dir.File("t.txt"), "new text");
  WriteWholeFile(dir.File("EXISTING.png"), std::string(100000, 'o'));
  const CliResult run = Cli({"encode", "t.txt", "EXISTING.png"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Cli({"decode", "EXISTING.png"}).out, "new text");
  EXPECT_EQ(dir.Entries(), (std::set<std::string>{"t.txt", "EXISTING.png"}));
}

// Names beyond any 8-bit code page: on Windows they reach the program
// through its UTF-16 command line and the system through wide calls.
TEST_F(CliTest, UnicodeFileNames) {
  const std::string input = "caf\xC3\xA9-\xCE\xA9.txt";                   // "café-Ω.txt"
  const std::string picture = "\xCE\xA9-\xE6\x96\x87\xE5\xAD\x97.png";  // "Ω-文字.png"
  WriteWholeFile(dir.Root() / Utf8Path(input), "named text\n");
  ASSERT_EQ(Cli({"encode", input, picture}).exitCode, 0);
  EXPECT_TRUE(fs::exists(dir.Root() / Utf8Path(picture)));
  const CliResult decoded = Cli({"decode", picture, "-"});
  EXPECT_EQ(decoded.out, "named text\n");
  const CliResult absent = Cli({"decode", "\xCE\xA9-absent.png"});
  EXPECT_EQ(absent.exitCode, 2);
  EXPECT_NE(absent.err.find("\xCE\xA9-absent.png"), std::string::npos) << absent.err;
}

// What stands at OUTPUT decides: replaced atomically, written into, or refused.
TEST_F(CliTest, OutputOfEveryKind) {
  const std::string text = "the decoded secret";
  WriteWholeFile(dir.File("t.txt"), text);
  ASSERT_EQ(Cli({"encode", "t.txt", "p.png"}).exitCode, 0);
  const auto oldFile = [this](const std::string& name, unsigned mode) {
    WriteWholeFile(dir.File(name), "old");
    fs::permissions(dir.File(name), static_cast<fs::perms>(mode));
  };
  // Windows shows one permission bit, the read-only attribute: 0644 and
  // 0600 stand there for a writable file, 0666.
#ifdef _WIN32
  const unsigned kShared = 0666, kPrivate = 0666;
#else
  const unsigned kShared = 0644, kPrivate = 0600;
#endif
  struct Case {
    const char* name;
    std::function<bool()> make;  // false: cannot be made here (a link under Wine, /dev/stdout on Windows)
    int exitCode;
    std::string cause;                         // in the error line when refused
    std::function<void(const CliResult&)> check;
  };
  const std::vector<Case> cases = {
      {"new file", [] { return true; }, 0, "",
       [&](const CliResult&) {
         EXPECT_EQ(Text("out"), text);
         EXPECT_EQ(ModeOf(dir.File("out")), NewFileMode());
       }},
      {"regular 0644", [&] { return oldFile("out", kShared), true; }, 0, "",
       [&](const CliResult&) {
         EXPECT_EQ(Text("out"), text);
         EXPECT_EQ(ModeOf(dir.File("out")), kShared);
       }},
      {"private 0600", [&] { return oldFile("out", kPrivate), true; }, 0, "",
       [&](const CliResult&) {
         EXPECT_EQ(Text("out"), text);
         EXPECT_EQ(ModeOf(dir.File("out")), kPrivate);
       }},
      {"write-protected 0444", [&] { return oldFile("out", 0444), true; }, 2, "cannot write: Permission denied",
       [&](const CliResult&) {
         EXPECT_EQ(Text("out"), "old");
         EXPECT_EQ(ModeOf(dir.File("out")), 0444u);
       }},
      {"symlink",
       [&] {
         oldFile("target", kPrivate);
         return fake::MakeSymlink("target", dir.File("out"));
       },
       0, "",
       [&](const CliResult&) {
         EXPECT_TRUE(fs::is_symlink(dir.File("out")));
         EXPECT_EQ(Text("target"), text);
         EXPECT_EQ(ModeOf(dir.File("target")), kPrivate);
       }},
      {"dangling symlink", [&] { return fake::MakeSymlink("nowhere", dir.File("out")); }, 2,
       "cannot write: No such file",
       [&](const CliResult&) { EXPECT_FALSE(fs::exists(dir.File("nowhere"))); }},
      {"hard link",
       [&] {
         oldFile("out", kShared);
         fs::create_hard_link(dir.File("out"), dir.File("other-name"));
         return true;
       },
       0, "",
       [&](const CliResult&) {
         EXPECT_EQ(Text("out"), text);
         EXPECT_EQ(Text("other-name"), text);
       }},
      {"folder", [&] { return fs::create_directory(dir.File("out")); }, 2, "cannot write: Is a directory",
       [&](const CliResult&) { EXPECT_TRUE(fs::is_directory(dir.File("out"))); }},
#ifndef _WIN32  // Windows has no /dev/stdout; "-" is its standard output
      {"/dev/stdout as a pipe", [] { return true; }, 0, "",
       [&](const CliResult& run) { EXPECT_EQ(run.out, text); }},
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!c.make()) {
      fs::remove_all(dir.File("out"));
      continue;
    }
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
      if (name != "t.txt" && name != "p.png") fake::RemoveAll(dir.File(name));
    }
  }
}

#ifdef _WIN32

// Windows' twin: its null device is written into, never replaced by a file.
TEST_F(CliTest, DeviceAndPipeOutputsAreWrittenInto) {
  WriteWholeFile(dir.File("t.txt"), std::string(100000, 'q') + "end");
  ASSERT_EQ(Cli({"encode", "t.txt", "p.png"}).exitCode, 0);
  const CliResult run = Cli({"decode", "p.png", "NUL"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(dir.Entries(), (std::set<std::string>{"t.txt", "p.png"}));
}

#else

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
  const CliResult toFile = Cli({"decode", "p.png", "/dev/stdout"}, "", outFile);
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

#endif

TEST_F(CliTest, FailuresExitWithTheirCodeAndLeaveNoOutput) {
  WriteWholeFile(dir.File("in.txt"), "some text");
  WriteWholeFile(dir.File("big.txt"), std::string(codec::kMaxTextBytes + 1, 'x'));
  WriteWholeFile(dir.File("old.png"), "the old content");
  const hostile::Bytes huge = hostile::FloodPng(32767, 32767, 'A', 1);
  WriteWholeFile(dir.File("huge.png"), std::string(huge.begin(), huge.end()));
  fs::create_directory(dir.File("folder"));
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string named;  // the file the error line names
    std::string cause;  // and the cause it gives
  };
  std::vector<Case> cases{
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
      {{"decode", "huge.png", "out.txt"}, 2, "huge.png", "picture too large"},
  };
#ifndef _WIN32
  // A pipe without a writer: the command may not wait for one. (Windows
  // has no named pipes in its folders.)
  ASSERT_EQ(mkfifo(dir.File("pipe").c_str(), 0600), 0);
  cases.push_back({{"decode", "pipe", "out.txt"}, 2, "pipe", "cannot be read"});
#endif
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

#ifdef _WIN32
// Windows' own refusal: a picture another program holds open without
// sharing it for deletion cannot be replaced; it stays as it was and no
// temporary file is left.
TEST_F(CliTest, PictureHeldOpenByAnotherProgramIsLeftAsItWas) {
  WriteWholeFile(dir.File("t.txt"), "text");
  WriteWholeFile(dir.File("held.png"), "held content");
  const std::wstring held = fs::path(dir.File("held.png")).wstring();
  HANDLE holder = ::CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  const CliResult run = Cli({"encode", "t.txt", "held.png"});
  ::CloseHandle(holder);
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("held.png: cannot write: Permission denied"), std::string::npos) << run.err;
  EXPECT_EQ(Text("held.png"), "held content");
  EXPECT_EQ(dir.Entries(), (std::set<std::string>{"t.txt", "held.png"}));
}
#endif

// TERM at moments spread over a decode of a large picture: the program ends
// by the signal or completes, and never leaves a temporary or a torn output.
// On Windows the end is TerminateProcess, which runs nothing of the
// program: there the system itself removes the temporary it marked.
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
    const auto running = Start({"decode", "big.png", "out.txt"});
    ASSERT_TRUE(running->Started());
    std::this_thread::sleep_for(whole * k / kMoments);
    running->Terminate();
    const CliResult run = Finish(*running);
    EXPECT_TRUE(run.exitCode == 0 || run.terminated) << run.exitCode;
    std::set<std::string> entries = dir.Entries();
    entries.erase("out.txt");
    EXPECT_EQ(entries, std::set<std::string>{"big.png"});
    if (fs::exists(dir.File("out.txt"))) {
      EXPECT_TRUE(Text("out.txt") == text) << "a torn output";
    }
  }
}

}  // namespace
