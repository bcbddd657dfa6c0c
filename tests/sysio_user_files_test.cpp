// The files the conversions touch: the ScratchTextFile and the user's input and output files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <string>

#include "sysio/scratch_file.h"
#include "sysio/user_file.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

using fake::ReadWholeFile;
using fake::WriteWholeFile;

mode_t ModeOf(const fs::path& path) {
  struct stat info {};
  lstat(path.c_str(), &info);
  return info.st_mode;
}

class UserFilesTest : public ::testing::Test {
 protected:
  fake::TempDir temp;
  const fs::path dir = temp.Root();
};

TEST_F(UserFilesTest, ScratchFileIsCreatedOwnerOnlyFilledAndDeleted) {
  const fs::path path = dir / "scratch";
  auto scratch = sysio::ScratchTextFile::Create(path);
  ASSERT_TRUE(scratch.IsOpen()) << scratch.status().Text();
  EXPECT_EQ(scratch.path(), path.string());
  EXPECT_EQ(ModeOf(path) & 0777, 0600u);
  ASSERT_TRUE(scratch.Write("line\r\n\xE9"));
  std::string back;
  ASSERT_TRUE(scratch.ReadBack(back));
  EXPECT_EQ(back, "line\r\n\xE9");
  EXPECT_EQ(ReadWholeFile(path), "line\r\n\xE9");
  scratch.Delete();
  EXPECT_TRUE(temp.Entries().empty());
}

// Whatever holds the fixed name, it is never opened, followed or emptied:
// the text goes to a new file in a new private folder, which Delete removes.
TEST_F(UserFilesTest, TakenScratchNameIsNeverReused) {
  const fs::path victim = dir / "victim";
  struct Case {
    const char* name;
    void (*make)(const fs::path& path, const fs::path& victim);
  };
  const Case cases[] = {
      {"our own older file", [](const fs::path& p, const fs::path&) { WriteWholeFile(p, "older clipboard"); }},
      {"symlink to a file", [](const fs::path& p, const fs::path& v) { fs::create_symlink(v, p); }},
      {"dangling symlink", [](const fs::path& p, const fs::path& v) { fs::create_symlink(v.string() + "-new", p); }},
      {"hard link", [](const fs::path& p, const fs::path& v) { fs::create_hard_link(v, p); }},
      {"folder", [](const fs::path& p, const fs::path&) { fs::create_directory(p); }},
      {"pipe", [](const fs::path& p, const fs::path&) { mkfifo(p.c_str(), 0600); }},
      {"another user's file",
       [](const fs::path& p, const fs::path&) {
         WriteWholeFile(p, "theirs");
         if (geteuid() == 0) (void)chown(p.c_str(), 65534, 65534);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteWholeFile(victim, "keep me");
    const fs::path path = dir / "scratch";
    c.make(path, victim);
    const std::set<std::string> before = temp.Entries();
    const std::string takerContent = fs::is_regular_file(path) ? ReadWholeFile(path) : "";
    auto scratch = sysio::ScratchTextFile::Create(path);
    ASSERT_TRUE(scratch.IsOpen()) << scratch.status().Text();
    const fs::path made = scratch.path();
    EXPECT_NE(made, path);
    EXPECT_EQ(made.filename(), "scratch");
    EXPECT_EQ(ModeOf(made.parent_path()) & 0777, 0700u);
    EXPECT_EQ(ModeOf(made) & 0777, 0600u);
    ASSERT_TRUE(scratch.Write("clipboard"));
    std::string back;
    ASSERT_TRUE(scratch.ReadBack(back));
    EXPECT_EQ(back, "clipboard");
    scratch.Delete();
    EXPECT_EQ(temp.Entries(), before);
    EXPECT_EQ(ReadWholeFile(victim), "keep me");
    if (fs::is_regular_file(path)) {
      EXPECT_EQ(ReadWholeFile(path), takerContent);
    }
    fs::remove_all(path);
  }
}

TEST_F(UserFilesTest, ScratchFileThatCannotBeMadeSaysWhy) {
  auto scratch = sysio::ScratchTextFile::Create(dir / "no-folder" / "scratch");
  EXPECT_FALSE(scratch.IsOpen());
  EXPECT_EQ(scratch.status().code(), ENOENT);
  EXPECT_TRUE(temp.Entries().empty());
}

TEST_F(UserFilesTest, ScratchDeleteLeavesAFileThatReplacedTheName) {
  const fs::path path = dir / "scratch";
  auto scratch = sysio::ScratchTextFile::Create(path);
  ASSERT_TRUE(scratch.IsOpen());
  fs::remove(path);
  WriteWholeFile(path, "someone else's");
  scratch.Delete();
  EXPECT_EQ(ReadWholeFile(path), "someone else's");
}

TEST_F(UserFilesTest, InputIsOpenedForReadingAndCreatedWhenMissing) {
  const fs::path missing = dir / "typed.txt";
  EXPECT_TRUE(sysio::OpenOrCreateForReading(missing));
  EXPECT_TRUE(fs::is_regular_file(missing));
  EXPECT_EQ(fs::file_size(missing), 0u);

  const fs::path readOnly = dir / "protected.txt";
  WriteWholeFile(readOnly, "text");
  chmod(readOnly.c_str(), 0444);
  EXPECT_TRUE(sysio::OpenOrCreateForReading(readOnly));
  EXPECT_EQ(ReadWholeFile(readOnly), "text");

  const fs::path pipe = dir / "pipe";
  mkfifo(pipe.c_str(), 0600);
  for (const fs::path& refused : {fs::path(), dir, dir / "no-folder" / "a.txt", pipe}) {
    EXPECT_FALSE(sysio::OpenOrCreateForReading(refused)) << refused;
  }
}

TEST_F(UserFilesTest, SavedTextReplacesTheWholeFile) {
  const fs::path path = dir / "notes.txt";
  WriteWholeFile(path, "a much longer older content");
  ASSERT_TRUE(sysio::WriteUserFile(path, "new\r\n"));
  EXPECT_EQ(ReadWholeFile(path), "new\r\n");
  ASSERT_TRUE(sysio::WriteUserFile(path, ""));
  EXPECT_TRUE(fs::exists(path));
  EXPECT_EQ(fs::file_size(path), 0u);
}

TEST_F(UserFilesTest, SavedTextIsRefusedWhereItCannotBeWritten) {
  const fs::path readOnly = dir / "protected.txt";
  WriteWholeFile(readOnly, "keep");
  chmod(readOnly.c_str(), 0444);
  for (const fs::path& refused : {readOnly, dir, dir / "no-folder" / "a.txt", fs::path()}) {
    EXPECT_FALSE(sysio::WriteUserFile(refused, "text")) << refused;
  }
  EXPECT_EQ(ReadWholeFile(readOnly), "keep");
}

}  // namespace
