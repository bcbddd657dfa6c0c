// letterloom-cli: exit codes, outputs, error lines, no output file after a failure, and the round trip of every kind of text.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "codec/pixel_stream.h"
#include "resources/version.h"
#include "support/codec_fixtures.h"
#include "support/run_program.h"

#include "tests/support/windows_headers.h"

namespace {

namespace fs = std::filesystem;
using fake::ReadWholeFile;
using fake::WriteWholeFile;

struct CliResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

class CliTest : public ::testing::Test {
 protected:
  // Runs the program in the test folder with `args` (UTF-8), standard input
  // from `input` (the null device when empty).
  CliResult Cli(const std::vector<std::string>& args, const std::string& input = "") {
    const fake::ProgramStreams streams{input, m_out.File("out"), m_out.File("err"), dir.Root().string()};
    CliResult run;
    run.exitCode = fake::RunProgram(LETTERLOOM_CLI_PATH, args, streams);
    run.out = ReadWholeFile(m_out.File("out"));
    run.err = ReadWholeFile(m_out.File("err"));
    return run;
  }
  std::string Text(const std::string& name) const { return ReadWholeFile(dir.File(name)); }
  fake::TempDir dir;

 private:
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
      {"utf8", "Gr\xC3\xBC\xC3\x9F" "e, \xCE\xA9 \xE2\x82\xAC \xF0\x9F\x99\x82\nzweite Zeile\n"},
      {"cp1252-crlf", "Fran\xE7" "ais \x80 \x93quoted\x94\r\nligne deux\r\n"},
      {"lone-cr", "old Mac\rline ends\r\rand one\r"},
      {"binary-no-nul", everyByte},
      {"with-nul", std::string("a\0b\0\0c\r\n\x1A", 9), "abc\r\n\x1A"},
      {"empty", ""},
      {"largest", largest},
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
  const std::string input = "caf\xC3\xA9-\xCE\xA9.txt";           // "café-Ω.txt"
  const std::string picture = "\xCE\xA9-\xE6\x96\x87\xE5\xAD\x97.png";  // "Ω-文字.png"
  WriteWholeFile(dir.Root() / fs::u8path(input), "named text\n");
  ASSERT_EQ(Cli({"encode", input, picture}).exitCode, 0);
  EXPECT_TRUE(fs::exists(dir.Root() / fs::u8path(picture)));
  const CliResult decoded = Cli({"decode", picture, "-"});
  EXPECT_EQ(decoded.out, "named text\n");
  const CliResult absent = Cli({"decode", "\xCE\xA9-absent.png"});
  EXPECT_EQ(absent.exitCode, 2);
  EXPECT_NE(absent.err.find("\xCE\xA9-absent.png"), std::string::npos) << absent.err;
}

TEST_F(CliTest, FailuresExitWithTheirCodeAndLeaveNoOutput) {
  WriteWholeFile(dir.File("in.txt"), "some text");
  WriteWholeFile(dir.File("big.txt"), std::string(codec::kMaxTextBytes + 1, 'x'));
  WriteWholeFile(dir.File("old.png"), "the old content");
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string named;  // the file the error line names
    std::string cause;  // and the cause it gives
  };
  std::vector<Case> cases{
      {{"encode", "absent.txt", "out.png"}, 2, "absent.txt", "No such file"},
      {{"encode", "in.txt", "no-folder/out.png"}, 2, "no-folder/out.png", "cannot write"},
      {{"encode", "big.txt", "out.png"}, 3, "big.txt", "too large"},
      {{"encode", "big.txt", "old.png"}, 3, "big.txt", "too large"},
      {{"decode", "absent.png", "out.txt"}, 2, "absent.png", "No such file"},
      {{"decode", "in.txt", "out.txt"}, 2, "in.txt", "not a picture"},
      {{"decode", "in.txt"}, 2, "in.txt", "not a picture"},
  };
#ifndef _WIN32
  // A pipe without a writer: neither command may wait for one. (Windows
  // has no named pipes in its folders.)
  ASSERT_EQ(mkfifo(dir.File("pipe").c_str(), 0600), 0);
  cases.push_back({{"decode", "pipe", "out.txt"}, 2, "pipe", "cannot be read"});
#endif
  const std::set<std::string> before = dir.Entries();
  for (const Case& c : cases) {
    const CliResult run = Cli(c.args);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.args[1];
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(c.named), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(c.cause), std::string::npos) << run.err;
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
  EXPECT_NE(run.err.find("cannot write"), std::string::npos) << run.err;
  EXPECT_EQ(Text("held.png"), "held content");
  EXPECT_EQ(dir.Entries(), (std::set<std::string>{"t.txt", "held.png"}));
}
#endif

}  // namespace
