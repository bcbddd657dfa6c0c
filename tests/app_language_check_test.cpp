// The start-up language check against real settings files and a scripted language window.
#include "app/language_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/message_catalogue.h"
#include "app/settings_file.h"
#include "tests/support/fake_platform.h"
#include "tests/support/temp_settings_dir.h"

namespace app {
namespace {

using Result = LanguageWindowResult;

class LanguageCheckTest : public ::testing::Test {
 protected:
  LanguageCheckTest() { state = MakeAppState(dir.Path(), "/tmp"); }

  // Runs the check with a window that answers from `script` in turn; each
  // answer is a language to choose (stored as the real window does) or ""
  // for a close request. Records the file's bytes each time the window opens.
  std::optional<int> Run(std::vector<std::string> script) {
    return fake::RunUntilEnd([&] {
      LanguageCheck(state, platform, [&]() -> Result {
        fileWhenShown.push_back(dir.ReadSettings());
        if (fileWhenShown.size() > script.size()) {
          ADD_FAILURE() << "language window shown too often";
          return {Result::Kind::Chosen, "none", false};
        }
        const std::string& choice = script[fileWhenShown.size() - 1];
        if (choice.empty()) return {};
        return {Result::Kind::Chosen, choice, StoreLanguageChoice(state, choice)};
      });
    });
  }

  fake::TempSettingsDir dir;
  fake::FakePlatform platform;
  AppState state;
  std::vector<std::string> fileWhenShown;
};

struct FoundCase {
  const char* name;
  std::string file;
  const char* language;
};

TEST_F(LanguageCheckTest, FindsTheChosenLanguageWithoutAsking) {
  const std::string zeroFrench = "[Fran\xE7" "ais]\r\nLNG = 0\r\n";
  const FoundCase cases[] = {
      {"EmptyFileIsFrench", "", kFrench},
      {"FirstFoundWins", zeroFrench + "[English]\r\nLNG = 1\r\n[Deutsch]\r\nLNG = 1\r\n", kEnglish},
      {"ZeroWithBlanksIsNotChosen", "[Fran\xE7" "ais]\r\nLNG =  0 \t\r\n[English]\r\nLNG = 00\r\n", kEnglish},
      {"EmptyValueIsChosen", zeroFrench + "[English]\r\nLNG =\r\n", kEnglish},
      {"LowerCaseKey", zeroFrench + "[English]\r\nLNG = 0\r\n[Deutsch]\r\nlng = 1\r\n", kDeutsch},
      {"LowerCaseGroup", zeroFrench + "[english]\r\nLNG = 1\r\n", kEnglish},
      {"MissingGroupIsChosen", zeroFrench + "[English]\r\nLNG = 0\r\n", kDeutsch},
      {"AccentedCapitalDoesNotFold", "[FRAN\xC7" "AIS]\r\nLNG = 0\r\n[English]\r\nLNG = 1\r\n", kFrench},
      {"Utf8WithoutMarkMissesFrench", "[Fran\xC3\xA7" "ais]\r\nLNG = 0\r\n[English]\r\nLNG = 1\r\n", kFrench},
      {"Utf8WithMarkIsRead", "\xEF\xBB\xBF[Fran\xC3\xA7" "ais]\r\nLNG = 0\r\n[English]\r\nLNG = 1\r\n", kEnglish},
  };
  for (const FoundCase& c : cases) {
    dir.WriteSettings(c.file);
    state.ChosenLanguage.clear();
    fileWhenShown.clear();
    EXPECT_EQ(Run({}), std::nullopt) << c.name;
    EXPECT_EQ(state.ChosenLanguage, c.language) << c.name;
    EXPECT_TRUE(fileWhenShown.empty()) << c.name;
    EXPECT_EQ(dir.ReadSettings(), c.file) << c.name << ": the check never rewrites";
  }
  EXPECT_TRUE(platform.messageBoxes.empty());
}

TEST_F(LanguageCheckTest, FirstStartWritesDefaultsThenStoresTheChoice) {
  EXPECT_EQ(Run({kEnglish}), std::nullopt);
  EXPECT_EQ(state.ChosenLanguage, kEnglish);
  ASSERT_EQ(fileWhenShown.size(), 1u);
  EXPECT_EQ(fileWhenShown[0], fake::kDefaultSettings);
  EXPECT_EQ(dir.ReadSettings(),
            "[Fran\xE7" "ais]\r\nLNG = 0\r\n[English]\r\nLNG = 1\r\n[Deutsch]\r\nLNG = 0\r\n"
            "[LASTDIR]\r\nc:\\ = \r\nc:\\ = \r\n");
  EXPECT_TRUE(platform.messageBoxes.empty());
}

TEST_F(LanguageCheckTest, ClosedWindowSaysOupppsAndAsksAgain) {
  EXPECT_EQ(Run({"", kFrench}), std::nullopt);
  EXPECT_EQ(state.ChosenLanguage, kFrench);
  EXPECT_EQ(fileWhenShown.size(), 2u);
  ASSERT_EQ(platform.messageBoxes.size(), 1u);
  EXPECT_EQ(platform.messageBoxes[0].title, " ");
  EXPECT_EQ(platform.messageBoxes[0].text, "OUPPPS");
  EXPECT_EQ(platform.messageBoxes[0].type, 0u);
}

TEST_F(LanguageCheckTest, ChoiceThatCannotBeStoredHoldsForThisRun) {
  dir.WriteSettings(fake::kDefaultSettings);
  dir.MakeSettingsReadOnly();
  EXPECT_EQ(Run({kDeutsch}), std::nullopt);
  EXPECT_EQ(state.ChosenLanguage, kDeutsch);
  EXPECT_EQ(fileWhenShown.size(), 1u);
  EXPECT_EQ(dir.ReadSettings(), fake::kDefaultSettings);
}

TEST_F(LanguageCheckTest, FileThatCannotBeCreatedEndsTheProgram) {
  std::filesystem::create_directory(dir.SettingsPath());
  EXPECT_EQ(Run({}), 0);
  ASSERT_EQ(platform.messageBoxes.size(), 1u);
  EXPECT_EQ(platform.messageBoxes[0].title, "Alert");
  EXPECT_EQ(platform.messageBoxes[0].text, "Pref error, try To download the software again.");
  EXPECT_EQ(platform.messageBoxes[0].type, 112u);
  EXPECT_TRUE(fileWhenShown.empty());
  std::filesystem::remove(dir.SettingsPath());
}

}  // namespace
}  // namespace app
