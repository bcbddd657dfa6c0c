// The language window: its flags and Exit button, and what each way out of it does.
#include "ui/language_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/message_catalogue.h"
#include "tests/support/session_fixture.h"
#include "tests/support/temp_settings_dir.h"
#include "ui/status_line.h"

namespace {

using Kind = app::LanguageWindowResult::Kind;

// The settings file after a first choice: "1" in one group, and the two
// key-less lines written back with " = ".
std::string SettingsAfterChoosing(int groupIndex) {
  std::string lng[3] = {"LNG = 0", "LNG = 0", "LNG = 0"};
  lng[groupIndex] = "LNG = 1";
  return "[Fran\xE7" "ais]\r\n" + lng[0] + "\r\n[English]\r\n" + lng[1] + "\r\n[Deutsch]\r\n" + lng[2] +
         "\r\n[LASTDIR]\r\nc:\\ = \r\nc:\\ = \r\n";
}

class LanguageWindowTest : public fake::SessionFixture {
 protected:
  LanguageWindowTest() {
    session.state.StartDirectory = dir.Path();
    session.state.SettingsPath = dir.SettingsPath();
    dir.WriteSettings(fake::kDefaultSettings);
  }
  app::LanguageWindowResult Show() { return ui::ShowLanguageWindow(session); }

  fake::TempSettingsDir dir;
};

TEST_F(LanguageWindowTest, OpensATitleBarOnlyWindowAndDecodesTheThreeFlags) {
  platform.PushClose(ui::kLanguageWindow);
  Show();
  // The window is closed by now; its record and the images stay.
  const platform::WindowSpec& spec = platform.windows.at(ui::kLanguageWindow).spec;
  EXPECT_EQ(spec.title, "Letterloom Language");
  EXPECT_EQ(spec.clientWidth, 117);
  EXPECT_EQ(spec.clientHeight, 56);
  EXPECT_EQ(spec.style, platform::kTitleBar);
  EXPECT_TRUE(spec.centred);
  for (int image : {29, 30, 31}) {
    ASSERT_EQ(platform.images.count(image), 1u) << image;
    EXPECT_EQ(platform.images.at(image).width, 33);
    EXPECT_EQ(platform.images.at(image).height, 25);
  }
}

TEST_F(LanguageWindowTest, FlagButtonsCarryTheirGroupAsTooltipAndExitHasItsBalloon) {
  struct Expected {
    int number;
    platform::GadgetKind kind;
    int x, y, width, height;
    int image;
    std::string text, toolTip;
  };
  const std::vector<Expected> expected = {
      {25, platform::GadgetKind::ImageButton, 5, 0, 33, 25, 29, "", app::kFrench},
      {26, platform::GadgetKind::ImageButton, 43, 0, 33, 25, 30, "", "English"},
      {27, platform::GadgetKind::ImageButton, 80, 0, 33, 25, 31, "", "Deutsch"},
      {28, platform::GadgetKind::Button, 0, 30, 115, 25, -1, "Exit", ""},
  };
  platform.onIdle = [&] {
    const auto gadgets = platform.GadgetsOf(ui::kLanguageWindow);
    ASSERT_EQ(gadgets.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      SCOPED_TRACE("gadget " + std::to_string(expected[i].number));
      const fake::GadgetRecord& got = *gadgets[i];
      EXPECT_EQ(got.spec.number, expected[i].number);
      EXPECT_EQ(got.spec.kind, expected[i].kind);
      EXPECT_EQ((std::vector<int>{got.spec.x, got.spec.y, got.spec.width, got.spec.height}),
                (std::vector<int>{expected[i].x, expected[i].y, expected[i].width, expected[i].height}));
      if (expected[i].image >= 0) {
        EXPECT_EQ(got.spec.image, expected[i].image);
      }
      EXPECT_EQ(got.text, expected[i].text);
      EXPECT_EQ(got.toolTip, expected[i].toolTip);
    }
    EXPECT_EQ(platform.gadget(28).balloonTip, "Click here to leave Letterloom 2");
    EXPECT_EQ(platform.gadget(28).balloonWidth, ui::kBalloonTipWidth);
    platform.PushClose(ui::kLanguageWindow);
  };
  EXPECT_EQ(Show().kind, Kind::Closed);
}

struct FlagCase {
  int gadget;
  std::string language;
  int groupIndex;
};

class FlagChoiceTest : public LanguageWindowTest, public ::testing::WithParamInterface<FlagCase> {};

TEST_P(FlagChoiceTest, FlagStoresItsGroupAndClosesTheWindow) {
  // Events of other windows and other gadgets are ignored on the way.
  platform.PushClose(0);
  platform.PushEvent({platform::EventKind::Other, ui::kLanguageWindow, -1});
  platform.PushClick(ui::kLanguageWindow, 99);
  platform.PushClick(ui::kLanguageWindow, GetParam().gadget);
  const app::LanguageWindowResult result = Show();
  EXPECT_EQ(result.kind, Kind::Chosen);
  EXPECT_EQ(result.language, GetParam().language);
  EXPECT_TRUE(result.stored);
  EXPECT_FALSE(platform.IsWindowOpen(ui::kLanguageWindow));
  EXPECT_EQ(dir.ReadSettings(), SettingsAfterChoosing(GetParam().groupIndex));
}

INSTANTIATE_TEST_SUITE_P(EveryFlag, FlagChoiceTest,
                         ::testing::Values(FlagCase{25, app::kFrench, 0}, FlagCase{26, "English", 1},
                                           FlagCase{27, "Deutsch", 2}));

TEST_F(LanguageWindowTest, ReadOnlySettingsLoseTheChoiceButReportIt) {
  dir.MakeSettingsReadOnly();
  platform.PushClick(ui::kLanguageWindow, ui::kEnglishButton);
  const app::LanguageWindowResult result = Show();
  EXPECT_EQ(result.kind, Kind::Chosen);
  EXPECT_EQ(result.language, "English");
  EXPECT_FALSE(result.stored);
  EXPECT_EQ(dir.ReadSettings(), fake::kDefaultSettings);
}

TEST_F(LanguageWindowTest, ExitEndsTheProgramWithTheWindowStillOpenAndFileUntouched) {
  platform.PushClick(ui::kLanguageWindow, ui::kExitButton);
  EXPECT_EQ(fake::RunUntilEnd([&] { Show(); }), 0);
  EXPECT_TRUE(platform.IsWindowOpen(ui::kLanguageWindow));
  EXPECT_EQ(dir.ReadSettings(), fake::kDefaultSettings);
}

TEST_F(LanguageWindowTest, CloseRequestClosesAndReturnsWithoutAChoice) {
  platform.PushClose(ui::kLanguageWindow);
  const app::LanguageWindowResult result = Show();
  EXPECT_EQ(result.kind, Kind::Closed);
  EXPECT_FALSE(platform.IsWindowOpen(ui::kLanguageWindow));
  EXPECT_EQ(dir.ReadSettings(), fake::kDefaultSettings);
}

TEST_F(LanguageWindowTest, WindowThatCannotOpenEndsTheProgramInsteadOfAskingForEver) {
  platform.failWindows = {ui::kLanguageWindow};
  EXPECT_EQ(fake::RunUntilEnd([&] { Show(); }), 0);
  EXPECT_TRUE(platform.GadgetsOf(ui::kLanguageWindow).empty());
}

}  // namespace
