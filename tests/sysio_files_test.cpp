// Whole-file reading, write-protection probing and the atomic replace: no torn file, no leftover, whatever ends the process.
#include "sysio/files.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "sysio/replacement_file.h"
#include "sysio/signal_cleanup.h"
#include "tests/support/file_modes.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_settings_dir.h"
#include "tests/support/windows_headers.h"

namespace sysio {
namespace {

namespace fs = std::filesystem;

// Windows shows one permission bit, the read-only attribute: a mode with a
// write bit reads back as 0666 there.
#ifdef _WIN32
constexpr unsigned kShared = 0666, kPrivate = 0666;
#else
constexpr unsigned kShared = 0644, kPrivate = 0640;
#endif

class FilesTest : public ::testing::Test {
 protected:
  std::string PathOf(const std::string& name) const { return dir.Path() + name; }
  void Write(const std::string& name, const std::string& bytes, unsigned mode = kShared) const {
    ASSERT_TRUE(ReplaceFileAtomically(PathOf(name), bytes));
    fs::permissions(PathOf(name), static_cast<fs::perms>(mode));
  }
  std::string Read(const std::string& name) const { return fake::ReadWholeFile(PathOf(name)); }
  std::set<std::string> Entries() const { return dir.Entries(); }
  unsigned ModeOf(const std::string& name) const {
    return static_cast<unsigned>(fs::status(PathOf(name)).permissions() & fs::perms::mask);
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
#ifndef _WIN32  // Windows has no named pipes in its folders
  // A pipe without a writer reads as empty at once.
  ASSERT_EQ(::mkfifo(PathOf("pipe").c_str(), 0600), 0);
  const FileContent pipe = ReadWholeFile(PathOf("pipe"), 100);
  EXPECT_TRUE(pipe.status);
  EXPECT_EQ(pipe.bytes, "");
#endif
}

TEST_F(FilesTest, ProbesAccessByModeBitsEvenForRoot) {
  Write("rw", "x", kShared);
  Write("ro", "x", 0444);  // on Windows: the read-only attribute
  fs::create_directory(PathOf("sub"));
  EXPECT_EQ(ProbeFileAccess(PathOf("rw")), FileAccess::ReadWrite);
  EXPECT_EQ(ProbeFileAccess(PathOf("ro")), FileAccess::ReadOnly);
  EXPECT_EQ(ProbeFileAccess(PathOf("sub")), FileAccess::Unavailable);
  EXPECT_EQ(ProbeFileAccess(PathOf("missing")), FileAccess::Unavailable);
  EXPECT_TRUE(IsWriteProtected(PathOf("ro")));
  EXPECT_FALSE(IsWriteProtected(PathOf("rw")));
  EXPECT_FALSE(IsWriteProtected(PathOf("missing")));
}

TEST_F(FilesTest, InspectsWhatAPathLeadsTo) {
  Write("file", "x");
  fs::create_hard_link(PathOf("file"), PathOf("second-name"));
  const FileFacts file = InspectFile(PathOf("file"));
  EXPECT_EQ(file.kind, FileKind::Regular);
  EXPECT_FALSE(file.isLink);
  EXPECT_TRUE(file.ownedByUs);
  EXPECT_EQ(file.linkCount, 2u);
  EXPECT_EQ(InspectFile(dir.Path()).kind, FileKind::Folder);
#ifdef _WIN32
  // Windows calls a name below a file "path not found": nothing there.
  EXPECT_EQ(InspectFile(PathOf("file/below")).kind, FileKind::Missing);
  EXPECT_EQ(InspectFile("NUL").kind, FileKind::Other);
#else
  EXPECT_EQ(InspectFile(PathOf("file/below")).status.code(), ENOTDIR);
  ASSERT_EQ(::mkfifo(PathOf("pipe").c_str(), 0600), 0);
  EXPECT_EQ(InspectFile(PathOf("pipe")).kind, FileKind::Other);
#endif
  if (!fake::MakeSymlink(PathOf("file"), PathOf("link"))) GTEST_SKIP() << fake::kNoSymlinks;
  ASSERT_TRUE(fake::MakeSymlink(PathOf("nowhere"), PathOf("dangling")));
  const FileFacts link = InspectFile(PathOf("link"));
  EXPECT_EQ(link.kind, FileKind::Regular);
  EXPECT_TRUE(link.isLink);
  EXPECT_TRUE(link.ownedByUs);
  EXPECT_EQ(link.linkCount, 2u);
  const FileFacts dangling = InspectFile(PathOf("dangling"));
  EXPECT_EQ(dangling.kind, FileKind::Missing);
  EXPECT_TRUE(dangling.isLink);
}

TEST_F(FilesTest, ReplaceKeepsModeAndFollowsLinks) {
  Write("target", "old", kPrivate);
  ASSERT_TRUE(ReplaceFileAtomically(PathOf("target"), "plain"));
  EXPECT_EQ(ModeOf("target"), kPrivate);
  if (!fake::MakeSymlink(PathOf("target"), PathOf("link"))) GTEST_SKIP() << fake::kNoSymlinks;
  ASSERT_TRUE(ReplaceFileAtomically(PathOf("link"), "new content"));
  EXPECT_TRUE(fs::is_symlink(PathOf("link")));
  EXPECT_EQ(Read("target"), "new content");
  EXPECT_EQ(ModeOf("target"), kPrivate);
  EXPECT_EQ(Entries(), (std::set<std::string>{"link", "target"}));
}

#ifdef _WIN32
// No umask on Windows: a new file is a plain writable one (no read-only attribute).
TEST_F(FilesTest, NewFileGetsTheUmaskOfAPlainNewFile) {
  ASSERT_TRUE(ReplaceFileAtomically(PathOf("new"), "x"));
  EXPECT_EQ(ModeOf("new"), 0666u);
}
#else
TEST_F(FilesTest, NewFileGetsTheUmaskOfAPlainNewFile) {
  const mode_t old = ::umask(027);
  const bool replaced = ReplaceFileAtomically(PathOf("new"), "x").ok();
  ::umask(old);
  ASSERT_TRUE(replaced);
  EXPECT_EQ(ModeOf("new"), 0640u);
}
#endif

// While the bytes are written, nobody may see them: the temporary has no
// name, or (named) is private whatever the old file's mode. On Windows,
// which has no unnamed files, the named temporary is marked for deletion
// until its rename: nobody can open it by its name.
TEST_F(FilesTest, TemporaryIsUnseenOrPrivateUntilCommitted) {
  Write("shared.txt", "old", kShared);
  for (TemporaryNaming naming : {TemporaryNaming::UnnamedWherePossible, TemporaryNaming::Named}) {
    ReplacementFile file(PathOf("shared.txt"), naming);
    ASSERT_TRUE(file.IsOpen()) << file.status().Text();
    ASSERT_TRUE(file.Write("secret"));
    if (file.TemporaryPath().empty()) {
      EXPECT_NE(naming, TemporaryNaming::Named);
      EXPECT_EQ(Entries(), std::set<std::string>{"shared.txt"});
    } else {
      EXPECT_EQ(Entries().size(), 2u);
#ifdef _WIN32
      EXPECT_FALSE(std::ifstream(file.TemporaryPath()).is_open());
#else
      struct stat st {};
      ASSERT_EQ(::stat(file.TemporaryPath().c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 0777, 0600u);
#endif
    }
    char back[6];
    std::size_t got = 0;
    ASSERT_TRUE(file.ReadAt(0, back, sizeof back, got));
    EXPECT_EQ(std::string(back, got), "secret");
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(Read("shared.txt"), "secret");
    EXPECT_EQ(ModeOf("shared.txt"), kShared);
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
  EXPECT_EQ(ReplaceFileAtomically(PathOf("sub"), "x").code(), EISDIR);
  EXPECT_EQ(ReplaceFileAtomically(PathOf("no/such/dir"), "x").code(), ENOENT);
  EXPECT_TRUE(fs::is_directory(PathOf("sub")));
#ifdef _WIN32
  // Windows' twin of a pipe: its null device, never replaced by a file.
  EXPECT_EQ(ReplaceFileAtomically("NUL", "x").code(), EOPNOTSUPP);
  EXPECT_EQ(Entries(), (std::set<std::string>{"sub"}));
#else
  ASSERT_EQ(::mkfifo(PathOf("pipe").c_str(), 0600), 0);
  EXPECT_EQ(ReplaceFileAtomically(PathOf("pipe"), "x").code(), EOPNOTSUPP);
  EXPECT_TRUE(fs::is_fifo(PathOf("pipe")));
  EXPECT_EQ(Entries(), (std::set<std::string>{"pipe", "sub"}));
#endif
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
  const IoStatus replaced = ReplaceFileAtomically(PathOf("held"), "replacement");
  ::CloseHandle(holder);
  EXPECT_EQ(replaced.code(), EACCES);
  EXPECT_EQ(Read("held"), "precious");
  EXPECT_EQ(Entries(), std::set<std::string>{"held"});
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
  const IoStatus replaced = ReplaceFileAtomically(PathOf("partial.png"), std::string(64 * 1024, 'x'));
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(replaced.code(), EFBIG);
  EXPECT_TRUE(Entries().empty());
}

#endif

// Two process numbers: one of a process that lives while this object does,
// one that no process has now (a child that has ended).
#ifdef _WIN32
class ProcessNumbers {
 public:
  ProcessNumbers() : m_alive(Suspended()) {
    PROCESS_INFORMATION ended = Suspended();
    ::TerminateProcess(ended.hProcess, 0);
    ::WaitForSingleObject(ended.hProcess, INFINITE);
    m_ended = ended.dwProcessId;
    ::CloseHandle(ended.hProcess);
    ::CloseHandle(ended.hThread);
  }
  ~ProcessNumbers() {
    ::TerminateProcess(m_alive.hProcess, 0);
    ::CloseHandle(m_alive.hProcess);
    ::CloseHandle(m_alive.hThread);
  }
  long alive() const { return static_cast<long>(m_alive.dwProcessId); }
  long ended() const { return static_cast<long>(m_ended); }

 private:
  // This test program again, held before it runs anything.
  static PROCESS_INFORMATION Suspended() {
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ::CreateProcessW(self, nullptr, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup, &process);
    return process;
  }
  PROCESS_INFORMATION m_alive;
  DWORD m_ended = 0;
};
#else
class ProcessNumbers {
 public:
  ProcessNumbers() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    m_ended = child;
  }
  long alive() const { return static_cast<long>(::getppid()); }
  long ended() const { return static_cast<long>(m_ended); }

 private:
  pid_t m_ended = -1;
};
#endif

void MakeOld(const std::string& path) {
  fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(24 * 365));
}

TEST_F(FilesTest, NextReplacementRemovesOnlyStaleTemporariesOfItsTarget) {
  Write("prefs.lng", "old");
  const ProcessNumbers processes;
  const std::string dead = std::to_string(processes.ended());
  const std::string alive = std::to_string(processes.alive());
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

#ifdef _WIN32

// The child of EndingProcessRemovesTheNamedTemporary, not a test of its
// own: it holds a named temporary of the target it is given until it is ended.
TEST(FilesChild, DISABLED_HoldsATemporaryUntilEnded) {
  const char* target = std::getenv("LETTERLOOM_HOLD_TARGET");
  const char* ready = std::getenv("LETTERLOOM_HOLD_READY");
  ASSERT_TRUE(target != nullptr && ready != nullptr);
  ReplacementFile file(target, TemporaryNaming::Named);
  ASSERT_TRUE(file.IsOpen() && file.Write("half of it"));
  fake::WriteWholeFile(ready, "w");
  for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
}

// Windows' twin of the signal handlers: a process ended from outside
// (TerminateProcess, which runs nothing of it) leaves no temporary file,
// since the system removes the file it marked for deletion on close.
TEST_F(FilesTest, EndingSignalRemovesTheNamedTemporary) {
  Write("out.txt", "old");
  fake::TempDir elsewhere;
  const std::string ready = elsewhere.File("ready");
  _putenv_s("LETTERLOOM_HOLD_TARGET", PathOf("out.txt").c_str());
  _putenv_s("LETTERLOOM_HOLD_READY", ready.c_str());
  wchar_t self[MAX_PATH];
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::u8string selfName = fs::path(self).u8string();
  fake::RunningProgram child(std::string(selfName.begin(), selfName.end()),
                             {"--gtest_also_run_disabled_tests", "--gtest_filter=FilesChild.*"},
                             {"", elsewhere.File("out"), elsewhere.File("err"), ""});
  _putenv_s("LETTERLOOM_HOLD_TARGET", "");
  _putenv_s("LETTERLOOM_HOLD_READY", "");
  ASSERT_TRUE(child.Started());
  for (int wait = 0; wait < 600 && !fs::exists(ready); ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_TRUE(fs::exists(ready)) << fake::ReadWholeFile(elsewhere.File("out"));
  EXPECT_EQ(Entries().size(), 2u);  // out.txt and the child's temporary
  child.Terminate();
  EXPECT_TRUE(child.Finish().terminated);
  EXPECT_EQ(Entries(), std::set<std::string>{"out.txt"});
  EXPECT_EQ(Read("out.txt"), "old");
}

#else

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

#endif

}  // namespace
}  // namespace sysio
