// The files the conversions touch: the ScratchTextFile and the user's input and output files.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "sysio/scratch_file.h"
#include "sysio/user_file.h"
#include "tests/support/file_modes.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

using fake::ReadWholeFile;
using fake::WriteWholeFile;

unsigned ModeOf(const fs::path& path) {
  return static_cast<unsigned>(fs::symlink_status(path).permissions() & fs::perms::mask);
}

// Owner-only: modes 0600 and 0700 on POSIX. Windows has no such bits:
// there the scratch file is private by its folder, the user's own
// temporary folder.
#ifdef _WIN32
constexpr unsigned kOwnerOnlyFile = 0666, kOwnerOnlyFolder = 0777;
#else
constexpr unsigned kOwnerOnlyFile = 0600, kOwnerOnlyFolder = 0700;
#endif

class UserFilesTest : public ::testing::Test {
 protected:
  fake::TempDir temp;
  const fs::path dir = temp.Root();
};

TEST_F(UserFilesTest, ScratchFileIsCreatedOwnerOnlyFilledAndDeleted) {
  const fs::path path = dir / "scratch";
  auto scratch = sysio::ScratchTextFile::Create(path.string());
  ASSERT_TRUE(scratch.IsOpen()) << scratch.status().Text();
  EXPECT_EQ(scratch.path(), path.string());
  EXPECT_EQ(ModeOf(path), kOwnerOnlyFile);
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
    bool (*make)(const fs::path& path, const fs::path& victim);  // false: cannot be made here
  };
  const Case cases[] = {
      {"our own older file",
       [](const fs::path& p, const fs::path&) { return WriteWholeFile(p, "older clipboard"), true; }},
      {"symlink to a file", [](const fs::path& p, const fs::path& v) { return fake::MakeSymlink(v, p); }},
      {"dangling symlink",
       [](const fs::path& p, const fs::path& v) { return fake::MakeSymlink(v.string() + "-new", p); }},
      {"hard link", [](const fs::path& p, const fs::path& v) { return fs::create_hard_link(v, p), true; }},
      {"folder", [](const fs::path& p, const fs::path&) { return fs::create_directory(p); }},
#ifndef _WIN32  // Windows has neither named pipes in folders nor user numbers
      {"pipe", [](const fs::path& p, const fs::path&) { return mkfifo(p.c_str(), 0600) == 0; }},
      {"another user's file",
       [](const fs::path& p, const fs::path&) {
         WriteWholeFile(p, "theirs");
         if (geteuid() == 0) (void)chown(p.c_str(), 65534, 65534);
         return true;
       }},
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteWholeFile(victim, "keep me");
    const fs::path path = dir / "scratch";
    if (!c.make(path, victim)) {
      fs::remove_all(path);
      continue;
    }
    const std::set<std::string> before = temp.Entries();
    const std::string takerContent = fs::is_regular_file(path) ? ReadWholeFile(path) : "";
    auto scratch = sysio::ScratchTextFile::Create(path.string());
    ASSERT_TRUE(scratch.IsOpen()) << scratch.status().Text();
    const fs::path made = scratch.path();
    EXPECT_NE(made, path);
    EXPECT_EQ(made.filename(), "scratch");
    EXPECT_EQ(ModeOf(made.parent_path()), kOwnerOnlyFolder);
    EXPECT_EQ(ModeOf(made), kOwnerOnlyFile);
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
  auto scratch = sysio::ScratchTextFile::Create((dir / "no-folder" / "scratch").string());
  EXPECT_FALSE(scratch.IsOpen());
  EXPECT_EQ(scratch.status().code(), ENOENT);
  EXPECT_TRUE(temp.Entries().empty());
}

TEST_F(UserFilesTest, ScratchDeleteLeavesAFileThatReplacedTheName) {
  const fs::path path = dir / "scratch";
  auto scratch = sysio::ScratchTextFile::Create(path.string());
  ASSERT_TRUE(scratch.IsOpen());
  // Moved away, not removed: on Windows a removed file keeps its name
  // until its last handle (ours) is closed.
  fs::rename(path, dir / "moved");
  WriteWholeFile(path, "someone else's");
  scratch.Delete();
  EXPECT_EQ(ReadWholeFile(path), "someone else's");
}

TEST_F(UserFilesTest, InputIsOpenedForReadingAndCreatedWhenMissing) {
  const fs::path missing = dir / "typed.txt";
  EXPECT_TRUE(sysio::OpenOrCreateForReading(missing.string()));
  EXPECT_TRUE(fs::is_regular_file(missing));
  EXPECT_EQ(fs::file_size(missing), 0u);

  const fs::path readOnly = dir / "protected.txt";
  WriteWholeFile(readOnly, "text");
  fake::MakeReadOnly(readOnly);
  EXPECT_TRUE(sysio::OpenOrCreateForReading(readOnly.string()));
  EXPECT_EQ(ReadWholeFile(readOnly), "text");

  std::vector<fs::path> refused = {fs::path(), dir, dir / "no-folder" / "a.txt"};
#ifdef _WIN32
  refused.push_back("NUL");  // a device, Windows' twin of the pipe
#else
  const fs::path pipe = dir / "pipe";
  mkfifo(pipe.c_str(), 0600);
  refused.push_back(pipe);
#endif
  for (const fs::path& path : refused) {
    EXPECT_FALSE(sysio::OpenOrCreateForReading(path.string())) << path;
  }
}

TEST_F(UserFilesTest, SavedTextReplacesTheWholeFile) {
  const fs::path path = dir / "notes.txt";
  WriteWholeFile(path, "a much longer older content");
  ASSERT_TRUE(sysio::WriteUserFile(path.string(), "new\r\n"));
  EXPECT_EQ(ReadWholeFile(path), "new\r\n");
  ASSERT_TRUE(sysio::WriteUserFile(path.string(), ""));
  EXPECT_TRUE(fs::exists(path));
  EXPECT_EQ(fs::file_size(path), 0u);
}

TEST_F(UserFilesTest, SavedTextIsRefusedWhereItCannotBeWritten) {
  const fs::path readOnly = dir / "protected.txt";
  WriteWholeFile(readOnly, "keep");
  fake::MakeReadOnly(readOnly);
  for (const fs::path& refused : {readOnly, dir, dir / "no-folder" / "a.txt", fs::path()}) {
    EXPECT_FALSE(sysio::WriteUserFile(refused.string(), "text")) << refused;
  }
  EXPECT_EQ(ReadWholeFile(readOnly), "keep");
}

}  // namespace
