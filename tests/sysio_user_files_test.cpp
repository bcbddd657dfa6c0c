// The files the conversions touch: the ScratchTextFile and the user's input and output files.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
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

// Owner-only: mode 0600 on POSIX. Windows has no such bits: the scratch
// file lives in the user's own temporary folder instead.
#ifdef _WIN32
constexpr unsigned kScratchMode = 0666;
#else
constexpr unsigned kScratchMode = 0600;
#endif

class UserFilesTest : public ::testing::Test {
 protected:
  fake::TempDir temp;
  const fs::path dir = temp.Root();
};

TEST_F(UserFilesTest, ScratchFileIsCreatedOwnerOnlyFilledAndDeleted) {
  const fs::path path = dir / "scratch";
  auto scratch = sysio::ScratchTextFile::Create(path.string());
  ASSERT_TRUE(scratch);
  EXPECT_EQ(ModeOf(path), kScratchMode);
  ASSERT_TRUE(scratch->Write("line\r\n\xE9"));
  EXPECT_EQ(scratch->ReadBack(), "line\r\n\xE9");
  EXPECT_EQ(ReadWholeFile(path), "line\r\n\xE9");
  scratch->Delete();
  EXPECT_FALSE(fs::exists(path));
}

TEST_F(UserFilesTest, ScratchFileOfOursLeftBehindIsEmptiedAndMadePrivate) {
  const fs::path path = dir / "scratch";
  WriteWholeFile(path, "an older and much longer clipboard text");
  fs::permissions(path, static_cast<fs::perms>(0644));
  auto scratch = sysio::ScratchTextFile::Create(path.string());
  ASSERT_TRUE(scratch);
  ASSERT_TRUE(scratch->Write("new"));
  EXPECT_EQ(ReadWholeFile(path), "new");
  EXPECT_EQ(ModeOf(path), kScratchMode);
}

TEST_F(UserFilesTest, ScratchFileIsNeverMadeThroughALinkOrOverAForeignFile) {
  const fs::path victim = dir / "victim";
  WriteWholeFile(victim, "keep me");
  struct Case {
    const char* name;
    bool (*make)(const fs::path& path, const fs::path& victim);  // false: cannot be made here
  };
  const Case cases[] = {
      {"symlink to a file", [](const fs::path& p, const fs::path& v) { return fake::MakeSymlink(v, p); }},
      {"dangling symlink",
       [](const fs::path& p, const fs::path& v) { return fake::MakeSymlink(v.string() + "-new", p); }},
      {"hard link",
       [](const fs::path& p, const fs::path& v) {
         std::error_code error;
         fs::create_hard_link(v, p, error);
         return !error;
       }},
      {"folder", [](const fs::path& p, const fs::path&) { return fs::create_directory(p); }},
#ifndef _WIN32  // Windows has neither named pipes in folders nor user numbers
      {"pipe", [](const fs::path& p, const fs::path&) { return mkfifo(p.c_str(), 0600) == 0; }},
      {"another user's file",
       [](const fs::path& p, const fs::path&) {
         WriteWholeFile(p, "theirs");
         return geteuid() == 0 && chown(p.c_str(), 65534, 65534) == 0;
       }},
#endif
  };
  for (const Case& c : cases) {
    const fs::path path = dir / "scratch";
    if (!c.make(path, victim)) {
      fs::remove_all(path);
      continue;
    }
    EXPECT_FALSE(sysio::ScratchTextFile::Create(path.string())) << c.name;
    EXPECT_EQ(ReadWholeFile(victim), "keep me") << c.name;
    EXPECT_FALSE(fs::exists(victim.string() + "-new")) << c.name;
    fs::remove_all(path);
  }
}

TEST_F(UserFilesTest, ScratchDeleteLeavesAFileThatReplacedTheName) {
  const fs::path path = dir / "scratch";
  auto scratch = sysio::ScratchTextFile::Create(path.string());
  ASSERT_TRUE(scratch);
  // Moved away, not removed: on Windows a removed file keeps its name
  // until its last handle (ours) is closed.
  fs::rename(path, dir / "moved");
  WriteWholeFile(path, "someone else's");
  scratch->Delete();
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
#ifndef _WIN32
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
