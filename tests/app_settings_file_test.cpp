// The settings file on disk: last-folder memory, the language choice, write protection and the atomic rewrite.
#include "app/settings_file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/message_catalogue.h"
#include "tests/support/temp_settings_dir.h"

namespace app {
namespace {

// The file after the first start with English chosen: 88 bytes.
const std::string kEnglishChosen =
    "[Fran\xE7" "ais]\r\nLNG = 0\r\n[English]\r\nLNG = 1\r\n[Deutsch]\r\nLNG = 0\r\n"
    "[LASTDIR]\r\nc:\\ = \r\nc:\\ = \r\n";

class SettingsFileTest : public ::testing::Test {
 protected:
  SettingsFileTest() { state = MakeAppState(dir.Path(), "/tmp"); }

  // The names in the directory other than the settings file.
  std::vector<std::string> StrayFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
      if (entry.path().filename() != "prefs.lng") names.push_back(entry.path().filename().string());
    }
    return names;
  }

  ~SettingsFileTest() override {
    if (m_pipe >= 0) ::close(m_pipe);
  }

  fake::TempSettingsDir dir;
  AppState state;
  int m_pipe = -1;  // the writing end a pipe test holds open
};

TEST_F(SettingsFileTest, DefaultContentIsExact) {
  EXPECT_EQ(kDefaultSettings.size(), 82u);
  EXPECT_EQ(std::string(kDefaultSettings), fake::kDefaultSettings);
  ASSERT_TRUE(CreateDefaultSettings(dir.SettingsPath()));
  EXPECT_EQ(dir.ReadSettings(), fake::kDefaultSettings);
}

TEST_F(SettingsFileTest, ChoosingEnglishGivesThe88ByteFile) {
  dir.WriteSettings(fake::kDefaultSettings);
  EXPECT_TRUE(StoreLanguageChoice(state, kEnglish));
  EXPECT_EQ(dir.ReadSettings(), kEnglishChosen);
  EXPECT_EQ(kEnglishChosen.size(), 88u);
}

TEST_F(SettingsFileTest, LastFoldersInsertedThenReplacedInPlace) {
  dir.WriteSettings(kEnglishChosen);
  const std::string head = kEnglishChosen;
  struct Step {
    std::string path;
    FolderKind kind;
    std::string folder;
    std::string file;
  };
  const Step steps[] = {
      {"C:\\Texts\\letter.txt", kTextFolder, "C:\\Texts\\", head + "LASTDIRTXT = C:\\Texts\\\r\n"},
      {"/home/ann/pictures/a.png", kPngFolder, "/home/ann/pictures/",
       head + "LASTDIRTXT = C:\\Texts\\\r\nLASTDIRPNG = /home/ann/pictures/\r\n"},
      {"/srv/notes/b.txt", kTextFolder, "/srv/notes/",
       head + "LASTDIRTXT = /srv/notes/\r\nLASTDIRPNG = /home/ann/pictures/\r\n"},
      {"no-separator.txt", kTextFolder, "", head + "LASTDIRTXT = \r\nLASTDIRPNG = /home/ann/pictures/\r\n"},
  };
  for (const Step& step : steps) {
    EXPECT_EQ(StoreLastFolder(state, step.path, step.kind), step.folder);
    EXPECT_EQ(state.CurrentFolder, step.folder);
    EXPECT_EQ(dir.ReadSettings(), step.file) << step.path;
  }
  EXPECT_EQ(ReadLastFolder(state, kPngFolder), "/home/ann/pictures/");
  EXPECT_EQ(ReadLastFolder(state, kTextFolder), "");
}

TEST_F(SettingsFileTest, FolderWithoutStoredValueReadsEmpty) {
  dir.WriteSettings(fake::kDefaultSettings);
  EXPECT_EQ(ReadLastFolder(state, kTextFolder), "");
  EXPECT_EQ(dir.ReadSettings(), fake::kDefaultSettings);  // reading never rewrites
}

TEST_F(SettingsFileTest, Utf8FileKeepsItsMarkAndRoundTripsPaths) {
  dir.WriteSettings("\xEF\xBB\xBF[English]\nLNG=1\n");
  const std::string folder = "/home/jos\xC3\xA9/";
  StoreLastFolder(state, folder + "x.txt", kTextFolder);
  EXPECT_EQ(dir.ReadSettings(),
            "\xEF\xBB\xBF\r\n[English]\r\nLNG = 1\r\n[LASTDIR]\r\nLASTDIRTXT = /home/jos\xC3\x83\xC2\xA9/\r\n");
  EXPECT_EQ(ReadLastFolder(state, kTextFolder), folder);
}

TEST_F(SettingsFileTest, ReadOnlyFileIsNeverChanged) {
  dir.WriteSettings(fake::kDefaultSettings);
  dir.MakeSettingsReadOnly();  // no write bit: holds for root too
  EXPECT_EQ(StoreLastFolder(state, "/data/a.txt", kTextFolder), "/data/");
  EXPECT_FALSE(StoreLanguageChoice(state, kDeutsch));
  EXPECT_EQ(dir.ReadSettings(), fake::kDefaultSettings);
  EXPECT_EQ(ReadLastFolder(state, kTextFolder), "");
}

TEST_F(SettingsFileTest, FileDeletedWhileRunning) {
  EXPECT_EQ(ReadLastFolder(state, kTextFolder), "");
  EXPECT_TRUE(StrayFiles().empty());  // reading creates nothing
  StoreLastFolder(state, "/x/y.png", kPngFolder);
  EXPECT_EQ(dir.ReadSettings(), "[LASTDIR]\r\nLASTDIRPNG = /x/\r\n");
}

TEST_F(SettingsFileTest, FailedRewriteLeavesTheOldFile) {
  dir.WriteSettings(kEnglishChosen);
  SettingsFile settings([](int fd, std::string_view content) {
    sysio::WriteAll(fd, content.substr(0, 10));  // a short write, then the disk is full
    return false;
  });
  ASSERT_TRUE(settings.Open(dir.SettingsPath()));
  settings.SelectGroup(kLastDirGroup);
  settings.WriteSetting(kLastDirTextKey, "/new/");
  EXPECT_EQ(settings.Close(), CloseResult::Failed);
  EXPECT_EQ(dir.ReadSettings(), kEnglishChosen);
  EXPECT_TRUE(StrayFiles().empty());
}

TEST_F(SettingsFileTest, CloseReportsWhatHappened) {
  SettingsFile settings;
  EXPECT_EQ(settings.Close(), CloseResult::Unchanged);  // never opened
  dir.WriteSettings(kEnglishChosen);
  ASSERT_TRUE(settings.Open(dir.SettingsPath()));
  EXPECT_EQ(settings.Close(), CloseResult::Unchanged);  // nothing written
  ASSERT_TRUE(settings.Open(dir.SettingsPath()));
  settings.SelectGroup("English");
  settings.WriteSetting("LNG", "1");  // same value: still a rewrite
  EXPECT_EQ(settings.Close(), CloseResult::Written);
  EXPECT_EQ(dir.ReadSettings(), kEnglishChosen);
}

TEST_F(SettingsFileTest, DestructorWritesPendingChanges) {
  {
    SettingsFile settings;
    EXPECT_FALSE(settings.Open(dir.SettingsPath()));
    settings.SelectGroup("English");
    settings.WriteSetting("LNG", "1");
  }
  EXPECT_EQ(dir.ReadSettings(), "[English]\r\nLNG = 1\r\n");
}

TEST_F(SettingsFileTest, DirectoryInPlaceOfTheFile) {
  std::filesystem::create_directory(dir.SettingsPath());
  SettingsFile settings;
  EXPECT_FALSE(settings.Open(dir.SettingsPath()));
  EXPECT_FALSE(CreateDefaultSettings(dir.SettingsPath()));
  EXPECT_TRUE(std::filesystem::is_directory(dir.SettingsPath()));
  std::filesystem::remove(dir.SettingsPath());
}


TEST_F(SettingsFileTest, FileOverTheSizeBoundIsDamagedAndNotRead) {
  const std::string head = kEnglishChosen + "LASTDIRTXT = /from/the/big/file/\r\n";
  const std::string atBound = head + std::string(kMaxSettingsBytes - head.size(), ' ');
  dir.WriteSettings(atBound);
  EXPECT_EQ(ReadLastFolder(state, kTextFolder), "/from/the/big/file/");
  dir.WriteSettings(atBound + " ");
  SettingsFile settings;
  EXPECT_FALSE(settings.Open(dir.SettingsPath()));
  EXPECT_EQ(ReadLastFolder(state, kTextFolder), "");
  // As for an unreadable file: the language check puts the default content in its place.
  EXPECT_TRUE(CreateDefaultSettings(dir.SettingsPath()));
  EXPECT_EQ(dir.ReadSettings(), fake::kDefaultSettings);
}

TEST_F(SettingsFileTest, ZeroByteEndsAValue) {
  dir.WriteSettings(std::string("[LASTDIR]\r\nLASTDIRTXT = /ok/\0/hidden/\r\n", 39));
  EXPECT_EQ(ReadLastFolder(state, kTextFolder), "/ok/");
}

#ifdef _WIN32

// Windows has no user numbers to give a file away with, no named pipes in
// its folders, and under Wine no symbolic links.
TEST_F(SettingsFileTest, LinkToAnotherUsersFileOrAPipeIsReadButNeverRewritten) {
  GTEST_SKIP() << "no pipes, file owners or (under Wine) links to make on Windows";
}

TEST_F(SettingsFileTest, PipeOverTheSizeBoundIsDamaged) {
  GTEST_SKIP() << "no named pipes on Windows; FileOverTheSizeBoundIsDamagedAndNotRead shows the bound";
}

#else

// A file that is another's, or no file at all, is read and never rewritten,
// whether it was readable or not.
TEST_F(SettingsFileTest, LinkToAnotherUsersFileOrAPipeIsReadButNeverRewritten) {
  const std::string content = kEnglishChosen + "LASTDIRTXT = /theirs/\r\n";
  struct Case {
    const char* name;
    bool needsRoot;
    std::function<void()> make;
  };
  const std::string target = dir.File("target");
  const Case cases[] = {
      {"link to another user's file", true,
       [&] {
         fake::WriteWholeFile(target, content);
         ASSERT_EQ(::chown(target.c_str(), 65534, 65534), 0);
         std::filesystem::create_symlink(target, dir.SettingsPath());
       }},
      {"pipe holding settings", false,
       [&] {
         ASSERT_EQ(::mkfifo(dir.SettingsPath().c_str(), 0600), 0);
         // Opened for reading and writing, the pipe holds the bytes for the reader.
         m_pipe = ::open(dir.SettingsPath().c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
         ASSERT_EQ(::write(m_pipe, content.data(), content.size()), static_cast<ssize_t>(content.size()));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.needsRoot && ::geteuid() != 0) continue;
    c.make();
    EXPECT_EQ(ReadLastFolder(state, kTextFolder), "/theirs/");
    StoreLastFolder(state, "/mine/x.txt", kTextFolder);
    EXPECT_FALSE(StoreLanguageChoice(state, kDeutsch));
    EXPECT_FALSE(CreateDefaultSettings(dir.SettingsPath()));
    const std::filesystem::file_status kind = std::filesystem::symlink_status(dir.SettingsPath());
    EXPECT_NE(kind.type(), std::filesystem::file_type::regular);
    if (c.needsRoot) {
      EXPECT_EQ(fake::ReadWholeFile(target), content);
    }
    EXPECT_TRUE(StrayFiles().empty() || StrayFiles() == std::vector<std::string>{"target"});
    std::filesystem::remove(dir.SettingsPath());
    if (m_pipe >= 0) ::close(m_pipe);
    m_pipe = -1;
  }
}

TEST_F(SettingsFileTest, PipeOverTheSizeBoundIsDamaged) {
  ASSERT_EQ(::mkfifo(dir.SettingsPath().c_str(), 0600), 0);
  m_pipe = ::open(dir.SettingsPath().c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(::fcntl(m_pipe, F_SETPIPE_SZ, 4 * kMaxSettingsBytes), static_cast<int>(2 * kMaxSettingsBytes));
  const std::string endless(2 * kMaxSettingsBytes, '\n');
  ASSERT_EQ(::write(m_pipe, endless.data(), endless.size()), static_cast<ssize_t>(endless.size()));
  SettingsFile settings;
  EXPECT_FALSE(settings.Open(dir.SettingsPath()));
  EXPECT_FALSE(CreateDefaultSettings(dir.SettingsPath()));
  ::close(m_pipe);
  m_pipe = -1;
}

#endif

}  // namespace
}  // namespace app
