// letterloom-cli: exit codes, outputs, error lines, and no output file after a failure.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "codec/pixel_stream.h"
#include "resources/version.h"
#include "support/codec_fixtures.h"
#include "support/hostile_pictures.h"

namespace {

using fake::ReadWholeFile;
using fake::WriteWholeFile;

std::string Quote(const std::string& arg) { return "'" + arg + "'"; }

struct CliResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

class CliTest : public ::testing::Test {
 protected:
  // Runs the program in the test folder with `args`, standard input from `input`.
  CliResult Cli(const std::vector<std::string>& args, const std::string& input = "/dev/null") {
    std::string command = "cd " + Quote(dir.Root().string()) + " && " + Quote(LETTERLOOM_CLI_PATH);
    for (const std::string& arg : args) command += " " + Quote(arg);
    command += " <" + Quote(input) + " >" + Quote(m_out.File("out")) + " 2>" +
               Quote(m_out.File("err"));
    const int status = std::system(command.c_str());
    CliResult run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadWholeFile(m_out.File("out"));
    run.err = ReadWholeFile(m_out.File("err"));
    return run;
  }
  std::string Text(const std::string& name) const { return ReadWholeFile(dir.File(name)); }
  fake::TempDir dir;

 private:
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

TEST_F(CliTest, FailuresExitWithTheirCodeAndLeaveNoOutput) {
  WriteWholeFile(dir.File("in.txt"), "some text");
  WriteWholeFile(dir.File("big.txt"), std::string(codec::kMaxTextBytes + 1, 'x'));
  WriteWholeFile(dir.File("old.png"), "the old content");
  const hostile::Bytes huge = hostile::FloodPng(32767, 32767, 'A', 1);
  WriteWholeFile(dir.File("huge.png"), std::string(huge.begin(), huge.end()));
  // Pipes without a writer: neither command may wait for one.
  ASSERT_EQ(mkfifo(dir.File("pipe").c_str(), 0600), 0);
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string named;  // the file the error line names
    std::string cause;  // and the cause it gives
  };
  const std::vector<Case> cases{
      {{"encode", "absent.txt", "out.png"}, 2, "absent.txt", "No such file"},
      {{"encode", "in.txt", "no-folder/out.png"}, 2, "no-folder/out.png", "cannot write"},
      {{"encode", "big.txt", "out.png"}, 3, "big.txt", "too large"},
      {{"encode", "big.txt", "old.png"}, 3, "big.txt", "too large"},
      {{"decode", "absent.png", "out.txt"}, 2, "absent.png", "No such file"},
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
    EXPECT_NE(run.err.find(c.named), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(c.cause), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(dir.Entries(), before) << c.args[1];  // nothing new, no temporary file left
  }
  EXPECT_EQ(Text("old.png"), "the old content");
}

}  // namespace
