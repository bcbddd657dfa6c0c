// Whole-file reading, write-protection probing and the atomic replace of the files module.
#include "sysio/files.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "tests/support/temp_settings_dir.h"

namespace sysio {
namespace {

namespace fs = std::filesystem;

class FilesTest : public ::testing::Test {
 protected:
  std::string PathOf(const char* name) const { return dir.Path() + name; }
  void Write(const char* name, const std::string& bytes, mode_t mode = 0644) const {
    ASSERT_TRUE(ReplaceFileAtomically(PathOf(name), bytes));
    ASSERT_EQ(::chmod(PathOf(name).c_str(), mode), 0);
  }
  std::size_t EntryCount() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()));
  }
  mode_t ModeOf(const char* name) const {
    struct stat st {};
    ::stat(PathOf(name).c_str(), &st);
    return st.st_mode & 07777;
  }

  fake::TempSettingsDir dir;
};

TEST_F(FilesTest, ReadsEveryByteBack) {
  const std::string bytes("a\0b\r\n\xFF\r", 7);
  Write("f", bytes);
  EXPECT_EQ(ReadWholeFile(PathOf("f")), bytes);
  EXPECT_EQ(ReadWholeFile(PathOf("missing")), std::nullopt);
  EXPECT_EQ(ReadWholeFile(dir.Path()), std::nullopt);
}

TEST_F(FilesTest, ProbesAccessByModeBitsEvenForRoot) {
  Write("rw", "x", 0644);
  Write("ro", "x", 0444);
  fs::create_directory(PathOf("sub"));
  EXPECT_EQ(ProbeFileAccess(PathOf("rw")), FileAccess::ReadWrite);
  EXPECT_EQ(ProbeFileAccess(PathOf("ro")), FileAccess::ReadOnly);
  EXPECT_EQ(ProbeFileAccess(PathOf("sub")), FileAccess::Unavailable);
  EXPECT_EQ(ProbeFileAccess(PathOf("missing")), FileAccess::Unavailable);
  EXPECT_TRUE(IsWriteProtected(PathOf("ro")));
  EXPECT_FALSE(IsWriteProtected(PathOf("rw")));
  EXPECT_FALSE(IsWriteProtected(PathOf("missing")));
  ::chmod(PathOf("ro").c_str(), 0644);
}

TEST_F(FilesTest, ReplaceKeepsModeAndFollowsLinks) {
  Write("target", "old", 0640);
  fs::create_symlink(PathOf("target"), PathOf("link"));
  ASSERT_TRUE(ReplaceFileAtomically(PathOf("link"), "new content"));
  EXPECT_TRUE(fs::is_symlink(PathOf("link")));
  EXPECT_EQ(ReadWholeFile(PathOf("target")), "new content");
  EXPECT_EQ(ModeOf("target"), 0640u);
  EXPECT_EQ(EntryCount(), 2u);
}

TEST_F(FilesTest, FailedWriteKeepsTheOldFileAndLeavesNothingBehind) {
  Write("f", "precious");
  int calls = 0;
  const FileWriter failing = [&](int fd, std::string_view content) {
    ++calls;
    WriteAll(fd, content.substr(0, 3));
    return false;
  };
  EXPECT_FALSE(ReplaceFileAtomically(PathOf("f"), "replacement", failing));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(ReadWholeFile(PathOf("f")), "precious");
  EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(FilesTest, NeverReplacesADirectory) {
  fs::create_directory(PathOf("sub"));
  EXPECT_FALSE(ReplaceFileAtomically(PathOf("sub"), "x"));
  EXPECT_TRUE(fs::is_directory(PathOf("sub")));
  EXPECT_EQ(EntryCount(), 1u);
  EXPECT_FALSE(ReplaceFileAtomically(PathOf("no/such/dir"), "x"));
}

TEST_F(FilesTest, WriteThatFailsPartWayLeavesNoFile) {
  // A file-size limit makes the system's writes fail part-way, as a full disk does.
  rlimit old {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 16 * 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool replaced = ReplaceFileAtomically(PathOf("partial.png"), std::string(64 * 1024, 'x'));
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(replaced);
  EXPECT_EQ(EntryCount(), 0u);
}

}  // namespace
}  // namespace sysio
