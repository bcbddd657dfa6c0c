// The whole start-up through the fake: language choice, main window, the way out.
#include "program/startup.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>

#include "ui/language_window.h"
#include "tests/support/fake_platform.h"
#include "tests/support/temp_settings_dir.h"
#include "ui/main_window.h"
#include "ui/status_line.h"

namespace {

class StartupTest : public ::testing::Test {
 protected:
  StartupTest() : m_oldDirectory(std::filesystem::current_path()) {
    std::filesystem::current_path(dir.Path());
    // Once the main window waits for its first event, note what it shows and close it.
    platform.onIdle = [this] {
      if (!platform.IsWindowOpen(ui::kMainWindow)) return;
      mainTitle = platform.windows.at(ui::kMainWindow).spec.title;
      statusText = platform.GetGadgetText(ui::kStatusLine);
      clipboardCaption = platform.GetGadgetText(ui::kClipboardButton);
      platform.PushClose(ui::kMainWindow);
    };
  }
  ~StartupTest() override { std::filesystem::current_path(m_oldDirectory); }

  std::optional<int> Run() {
    return fake::RunUntilEnd([this] { program::RunProgram(platform); });
  }
  int LanguageWindowOpenings() const {
    return static_cast<int>(std::count(platform.calls.begin(), platform.calls.end(), "OpenWindow 24"));
  }

  fake::TempSettingsDir dir;
  fake::FakePlatform platform;
  std::string mainTitle, statusText, clipboardCaption;

 private:
  std::filesystem::path m_oldDirectory;
};

const std::string kEnglishChosen =
    "[Fran\xE7" "ais]\r\nLNG = 0\r\n[English]\r\nLNG = 1\r\n[Deutsch]\r\nLNG = 0\r\n"
    "[LASTDIR]\r\nc:\\ = \r\nc:\\ = \r\n";

TEST_F(StartupTest, FirstStartInAnEmptyDirectoryAsksThenOpensTheMainWindowInThatLanguage) {
  platform.PushClick(ui::kLanguageWindow, ui::kEnglishButton);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(LanguageWindowOpenings(), 1);
  EXPECT_EQ(dir.ReadSettings(), kEnglishChosen);
  EXPECT_EQ(mainTitle, "LETTERLOOM by ORVANTO v2.0 beta6");
  EXPECT_EQ(statusText, "Convert !");
  EXPECT_EQ(clipboardCaption, "CLIPBOARD TXT -> PNG");
  EXPECT_EQ(platform.platformLanguage, "en");
  EXPECT_EQ(platform.fonts.at(0), (platform::FontSpec{"arial", 11, false}));
  EXPECT_EQ(platform.fonts.at(1), (platform::FontSpec{"arial", 8, false}));
  EXPECT_TRUE(platform.messageBoxes.empty());
}

TEST_F(StartupTest, LaterStartFindsTheChoiceWithoutAsking) {
  dir.WriteSettings(kEnglishChosen);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(LanguageWindowOpenings(), 0);
  EXPECT_EQ(statusText, "Convert !");
}

TEST_F(StartupTest, ClosingTheChooserSaysOupppsAndAsksAgain) {
  platform.PushClose(ui::kLanguageWindow);
  platform.PushClick(ui::kLanguageWindow, ui::kGermanButton);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(LanguageWindowOpenings(), 2);
  ASSERT_EQ(platform.messageBoxes.size(), 1u);
  EXPECT_EQ(platform.messageBoxes[0].title, " ");
  EXPECT_EQ(platform.messageBoxes[0].text, "OUPPPS");
  EXPECT_EQ(statusText, "Konvertieren !");
  EXPECT_EQ(platform.platformLanguage, "de") << "the dialogues and buttons speak the chosen language";
}

TEST_F(StartupTest, ExitInTheChooserEndsWithZeroAndLeavesTheDefaults) {
  platform.PushClick(ui::kLanguageWindow, ui::kExitButton);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(dir.ReadSettings(), fake::kDefaultSettings);
  EXPECT_EQ(platform.windows.count(ui::kMainWindow), 0u);
}

TEST_F(StartupTest, ReadOnlySettingsTakeTheChoiceForThisRunInsteadOfAskingForEver) {
  dir.WriteSettings(fake::kDefaultSettings);
  dir.MakeSettingsReadOnly();
  platform.PushClick(ui::kLanguageWindow, ui::kEnglishButton);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(LanguageWindowOpenings(), 1);
  EXPECT_EQ(statusText, "Convert !");
  EXPECT_EQ(dir.ReadSettings(), fake::kDefaultSettings);
}

TEST_F(StartupTest, SettingsFileThatCannotBeCreatedAlertsAndEndsWithZero) {
  std::filesystem::create_directory(dir.SettingsPath());
  EXPECT_EQ(Run(), 0);
  ASSERT_EQ(platform.messageBoxes.size(), 1u);
  EXPECT_EQ(platform.messageBoxes[0].title, "Alert");
  EXPECT_EQ(platform.messageBoxes[0].text, "Pref error, try To download the software again.");
  EXPECT_EQ(platform.messageBoxes[0].type, 0x70u);
  EXPECT_EQ(LanguageWindowOpenings(), 0);
}

TEST_F(StartupTest, MainWindowThatCannotOpenEndsWithZero) {
  dir.WriteSettings(kEnglishChosen);
  platform.failWindows = {ui::kMainWindow};
  EXPECT_EQ(Run(), 0);
}

}  // namespace
