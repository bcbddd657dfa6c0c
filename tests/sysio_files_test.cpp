// Whole-file reading, write-protection probing and the atomic replace of the files module.
#include "sysio/files.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include "tests/support/windows_headers.h"
#else
#include <sys/resource.h>

#include <csignal>
#endif

#include <filesystem>
#include <string>

#include "tests/support/file_modes.h"
#include "tests/support/temp_settings_dir.h"

namespace sysio {
namespace {

namespace fs = std::filesystem;

class FilesTest : public ::testing::Test {
 protected:
  std::string PathOf(const char* name) const { return dir.Path() + name; }
  void Write(const char* name, const std::string& bytes, unsigned mode = 0644) const {
    ASSERT_TRUE(ReplaceFileAtomically(PathOf(name), bytes));
    fs::permissions(PathOf(name), static_cast<fs::perms>(mode));
  }
  std::size_t EntryCount() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()));
  }
  unsigned ModeOf(const char* name) const {
    return static_cast<unsigned>(fs::status(PathOf(name)).permissions() & fs::perms::mask);
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

// On Windows the mode is the read-only attribute.
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
}

TEST_F(FilesTest, ReplaceKeepsTheOldFilesMode) {
#ifdef _WIN32
  const unsigned mode = 0666;  // all Windows shows of a writable file
#else
  const unsigned mode = 0640;
#endif
  Write("target", "old", mode);
  ASSERT_TRUE(ReplaceFileAtomically(PathOf("target"), "new content"));
  EXPECT_EQ(ReadWholeFile(PathOf("target")), "new content");
  EXPECT_EQ(ModeOf("target"), mode);
  EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(FilesTest, ReplaceFollowsLinks) {
  Write("target", "old");
  if (!fake::MakeSymlink(PathOf("target"), PathOf("link"))) GTEST_SKIP() << fake::kNoSymlinks;
  ASSERT_TRUE(ReplaceFileAtomically(PathOf("link"), "new content"));
  EXPECT_TRUE(fs::is_symlink(PathOf("link")));
  EXPECT_EQ(ReadWholeFile(PathOf("target")), "new content");
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

#ifdef _WIN32

// Windows' twin of a failing disk: a file another program holds open
// without FILE_SHARE_DELETE cannot be replaced. It stays as it was and no
// temporary file is left.
TEST_F(FilesTest, FileHeldOpenByAnotherHandleIsLeftAsItWas) {
  Write("held", "precious");
  HANDLE holder = ::CreateFileW(fs::path(PathOf("held")).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  const bool replaced = ReplaceFileAtomically(PathOf("held"), "replacement");
  ::CloseHandle(holder);
  EXPECT_FALSE(replaced);
  EXPECT_EQ(ReadWholeFile(PathOf("held")), "precious");
  EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(FilesTest, WriteThatFailsPartWayLeavesNoFile) {
  GTEST_SKIP() << "Windows has no per-process file-size limit to make a write fail part-way; "
                  "FailedWriteKeepsTheOldFileAndLeavesNothingBehind shows the same rule";
}

#else

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

#endif

}  // namespace
}  // namespace sysio
