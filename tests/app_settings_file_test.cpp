// The settings file on disk: last-folder memory, the language choice, write protection and the atomic rewrite.
#include "app/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

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

  fake::TempSettingsDir dir;
  AppState state;
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

}  // namespace
}  // namespace app
