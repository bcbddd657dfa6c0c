// Whole-file reading, write-protection probing and the atomic replace: no torn file, no leftover, whatever ends the process.
#include "sysio/files.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>

#include "sysio/replacement_file.h"
#include "sysio/signal_cleanup.h"
#include "tests/support/temp_settings_dir.h"

namespace sysio {
namespace {

namespace fs = std::filesystem;

class FilesTest : public ::testing::Test {
 protected:
  std::string PathOf(const std::string& name) const { return dir.Path() + name; }
  void Write(const std::string& name, const std::string& bytes, mode_t mode = 0644) const {
    ASSERT_TRUE(ReplaceFileAtomically(PathOf(name), bytes));
    ASSERT_EQ(::chmod(PathOf(name).c_str(), mode), 0);
  }
  std::string Read(const std::string& name) const { return fake::ReadWholeFile(PathOf(name)); }
  std::set<std::string> Entries() const { return dir.Entries(); }
  mode_t ModeOf(const std::string& name) const {
    struct stat st {};
    ::stat(PathOf(name).c_str(), &st);
    return st.st_mode & 07777;
  }

  fake::TempSettingsDir dir;
};

TEST_F(FilesTest, ReadsEveryByteBackUpToItsBound) {
  const std::string bytes("a\0b\r\n\xFF\r", 7);
  Write("f", bytes);
  EXPECT_EQ(ReadWholeFile(PathOf("f"), 7).bytes, bytes);
  EXPECT_EQ(ReadWholeFile(PathOf("f"), 6).status.code(), EFBIG);
  EXPECT_EQ(ReadWholeFile(PathOf("missing"), 100).status.code(), ENOENT);
  EXPECT_EQ(ReadWholeFile(dir.Path(), 100).status.code(), EISDIR);
  // A pipe without a writer reads as empty at once.
  ASSERT_EQ(::mkfifo(PathOf("pipe").c_str(), 0600), 0);
  const FileContent pipe = ReadWholeFile(PathOf("pipe"), 100);
  EXPECT_TRUE(pipe.status);
  EXPECT_EQ(pipe.bytes, "");
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

TEST_F(FilesTest, InspectsWhatAPathLeadsTo) {
  Write("file", "x");
  fs::create_symlink(PathOf("file"), PathOf("link"));
  fs::create_symlink(PathOf("nowhere"), PathOf("dangling"));
  fs::create_hard_link(PathOf("file"), PathOf("second-name"));
  ASSERT_EQ(::mkfifo(PathOf("pipe").c_str(), 0600), 0);
  const FileFacts link = InspectFile(PathOf("link"));
  EXPECT_EQ(link.kind, FileKind::Regular);
  EXPECT_TRUE(link.isLink);
  EXPECT_TRUE(link.ownedByUs);
  EXPECT_EQ(link.linkCount, 2u);
  const FileFacts dangling = InspectFile(PathOf("dangling"));
  EXPECT_EQ(dangling.kind, FileKind::Missing);
  EXPECT_TRUE(dangling.isLink);
  EXPECT_EQ(InspectFile(PathOf("pipe")).kind, FileKind::Other);
  EXPECT_EQ(InspectFile(dir.Path()).kind, FileKind::Folder);
  EXPECT_EQ(InspectFile(PathOf("file/below")).status.code(), ENOTDIR);
}

TEST_F(FilesTest, ReplaceKeepsModeAndFollowsLinks) {
  Write("target", "old", 0640);
  fs::create_symlink(PathOf("target"), PathOf("link"));
  ASSERT_TRUE(ReplaceFileAtomically(PathOf("link"), "new content"));
  EXPECT_TRUE(fs::is_symlink(PathOf("link")));
  EXPECT_EQ(Read("target"), "new content");
  EXPECT_EQ(ModeOf("target"), 0640u);
  EXPECT_EQ(Entries(), (std::set<std::string>{"link", "target"}));
}

TEST_F(FilesTest, NewFileGetsTheUmaskOfAPlainNewFile) {
  const mode_t old = ::umask(027);
  const bool replaced = ReplaceFileAtomically(PathOf("new"), "x").ok();
  ::umask(old);
  ASSERT_TRUE(replaced);
  EXPECT_EQ(ModeOf("new"), 0640u);
}

// While the bytes are written, nobody may see them: the temporary has no
// name, or (named) is private whatever the old file's mode.
TEST_F(FilesTest, TemporaryIsUnseenOrPrivateUntilCommitted) {
  Write("shared.txt", "old", 0644);
  for (TemporaryNaming naming : {TemporaryNaming::UnnamedWherePossible, TemporaryNaming::Named}) {
    ReplacementFile file(PathOf("shared.txt"), naming);
    ASSERT_TRUE(file.IsOpen()) << file.status().Text();
    ASSERT_TRUE(file.Write("secret"));
    if (file.TemporaryPath().empty()) {
      EXPECT_NE(naming, TemporaryNaming::Named);
      EXPECT_EQ(Entries(), std::set<std::string>{"shared.txt"});
    } else {
      EXPECT_EQ(Entries().size(), 2u);
      struct stat st {};
      ASSERT_EQ(::stat(file.TemporaryPath().c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 0777, 0600u);
    }
    char back[6];
    std::size_t got = 0;
    ASSERT_TRUE(file.ReadAt(0, back, sizeof back, got));
    EXPECT_EQ(std::string(back, got), "secret");
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(Read("shared.txt"), "secret");
    EXPECT_EQ(ModeOf("shared.txt"), 0644u);
    EXPECT_EQ(Entries(), std::set<std::string>{"shared.txt"});
  }
}

TEST_F(FilesTest, FailedWriteKeepsTheOldFileAndLeavesNothingBehind) {
  Write("f", "precious");
  int calls = 0;
  const FileWriter failing = [&](int fd, std::string_view content) {
    ++calls;
    WriteAll(fd, content.substr(0, 3));
    errno = ENOSPC;
    return false;
  };
  EXPECT_EQ(ReplaceFileAtomically(PathOf("f"), "replacement", failing).code(), ENOSPC);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(Read("f"), "precious");
  EXPECT_EQ(Entries(), std::set<std::string>{"f"});
}

TEST_F(FilesTest, NeverReplacesADirectoryOrAPipe) {
  fs::create_directory(PathOf("sub"));
  ASSERT_EQ(::mkfifo(PathOf("pipe").c_str(), 0600), 0);
  EXPECT_EQ(ReplaceFileAtomically(PathOf("sub"), "x").code(), EISDIR);
  EXPECT_EQ(ReplaceFileAtomically(PathOf("pipe"), "x").code(), EOPNOTSUPP);
  EXPECT_EQ(ReplaceFileAtomically(PathOf("no/such/dir"), "x").code(), ENOENT);
  EXPECT_TRUE(fs::is_directory(PathOf("sub")));
  EXPECT_TRUE(fs::is_fifo(PathOf("pipe")));
  EXPECT_EQ(Entries(), (std::set<std::string>{"pipe", "sub"}));
}

TEST_F(FilesTest, WriteThatFailsPartWayLeavesNoFile) {
  // A file-size limit makes the system's writes fail part-way, as a full disk does.
  rlimit old {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 16 * 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const IoStatus replaced = ReplaceFileAtomically(PathOf("partial.png"), std::string(64 * 1024, 'x'));
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(replaced.code(), EFBIG);
  EXPECT_TRUE(Entries().empty());
}

// A process number that no process has now: a child that has ended.
pid_t EndedProcess() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

void MakeOld(const std::string& path) {
  const timeval old[2] = {{1000000000, 0}, {1000000000, 0}};
  ::utimes(path.c_str(), old);
}

TEST_F(FilesTest, NextReplacementRemovesOnlyStaleTemporariesOfItsTarget) {
  Write("prefs.lng", "old");
  const std::string dead = std::to_string(EndedProcess());
  const std::string alive = std::to_string(::getppid());
  struct Left {
    std::string name;
    bool old;
    bool removed;
  };
  const Left left[] = {
      {".prefs.lng.tmp-" + dead + "-0", true, true},
      {".prefs.lng.tmp-" + dead + "-1", false, false},   // too fresh: perhaps still written
      {".prefs.lng.tmp-" + alive + "-0", true, false},   // its process lives
      {".other.lng.tmp-" + dead + "-0", true, false},    // another target's
      {".prefs.lng.tmp-" + dead + "-x", true, false},    // not a name we make
      {"prefs.lng.tmp-" + dead + "-0", true, false},
  };
  for (const Left& l : left) {
    Write(l.name, "left behind");
    if (l.old) MakeOld(PathOf(l.name));
  }
  ASSERT_TRUE(ReplaceFileAtomically(PathOf("prefs.lng"), "new"));
  for (const Left& l : left) EXPECT_EQ(fs::exists(PathOf(l.name)), !l.removed) << l.name;
}

// The CLI's handlers: the process ends by the same signal and its named
// temporary file is gone; the target is as it was.
TEST_F(FilesTest, EndingSignalRemovesTheNamedTemporary) {
  Write("out.txt", "old");
  for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signalNumber);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
      RemoveTemporaryFilesOnSignals();
      ReplacementFile file(PathOf("out.txt"), TemporaryNaming::Named);
      const bool written = file.IsOpen() && file.Write("half of it");
      const char state = written ? 'w' : 'f';
      [[maybe_unused]] const ssize_t sent = ::write(ready[1], &state, 1);
      for (;;) ::pause();
    }
    ::close(ready[1]);
    char state = 0;
    ASSERT_EQ(::read(ready[0], &state, 1), 1);
    ::close(ready[0]);
    EXPECT_EQ(state, 'w');
    EXPECT_EQ(Entries().size(), 2u);  // out.txt and the child's temporary
    ::kill(child, signalNumber);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber) << status;
    EXPECT_EQ(Entries(), std::set<std::string>{"out.txt"});
    EXPECT_EQ(Read("out.txt"), "old");
  }
}

}  // namespace
}  // namespace sysio
