// The main window's gadgets, fonts and colours, its event loop and the info panel.
#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/session_fixture.h"
#include "ui/palette.h"
#include "ui/status_line.h"

namespace {

using platform::Colour;
using platform::GadgetKind;

class MainWindowTest : public fake::SessionFixture {};

struct ExpectedGadget {
  int number;
  GadgetKind kind;
  int x, y, width, height;
  std::string text;
  std::optional<int> font;
  Colour textColour;
  Colour background;
};

TEST_F(MainWindowTest, BuildsEveryGadgetInCreationOrderWithFontsAndColours) {
  ASSERT_TRUE(ui::OpenMainWindow(session));
  const Colour system = Colour::SystemDefault();
  const std::vector<ExpectedGadget> expected = {
      {1, GadgetKind::Image, 0, 0, 644, 172, "", std::nullopt, system, system},
      {2, GadgetKind::Text, 5, 335, 630, 20, "footer", 0, system, Colour::Transparent()},
      {3, GadgetKind::Frame, 5, 175, 630, 181, "tagline", 0, system, ui::kPanelGrey},
      {4, GadgetKind::Button, 20, 195, 300, 45, "TXT -> PNG", 0, system, ui::kAccentGold},
      {6, GadgetKind::Button, 325, 195, 300, 45, "CLIPBOARD TXT -> PNG", 0, system, ui::kAccentGold},
      {5, GadgetKind::Button, 20, 250, 605, 45, "PNG -> TXT", 0, system, ui::kAccentGold},
      {22, GadgetKind::Button, 600, 305, 25, 25, "@", 1, system, ui::kAccentGold},
      {23, GadgetKind::Button, 20, 305, 25, 25, "?", 1, system, ui::kAccentGold},
      {7, GadgetKind::StatusField, 48, 304, 547, 25, "Convert !", 0, ui::kBlack, ui::kAccentGold},
  };
  const auto gadgets = platform.GadgetsOf(ui::kMainWindow);
  ASSERT_EQ(gadgets.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const ExpectedGadget& want = expected[i];
    const fake::GadgetRecord& got = *gadgets[i];
    SCOPED_TRACE("gadget " + std::to_string(want.number));
    EXPECT_EQ(got.spec.number, want.number);
    EXPECT_EQ(got.spec.kind, want.kind);
    EXPECT_EQ(got.spec.x, want.x);
    EXPECT_EQ(got.spec.y, want.y);
    EXPECT_EQ(got.spec.width, want.width);
    EXPECT_EQ(got.spec.height, want.height);
    EXPECT_EQ(got.text, want.text);
    EXPECT_EQ(got.font, want.font);
    EXPECT_EQ(got.spec.flat, want.kind == GadgetKind::Button);
    if (want.number == 1) continue;  // the banner gets no colours
    EXPECT_EQ(got.textColour, want.textColour);
    EXPECT_EQ(got.backgroundColour, want.background);
  }
  EXPECT_TRUE(platform.gadget(2).spec.centred);
  EXPECT_EQ(platform.gadget(1).spec.image, ui::kBannerPictureImage);
  EXPECT_EQ(platform.gadget(22).balloonTip, "Update");
  EXPECT_EQ(platform.gadget(22).balloonWidth, ui::kBalloonTipWidth);
}

TEST_F(MainWindowTest, OpensCentredFixedWindowWithBannerThenTipThenColoursWindowLast) {
  ASSERT_TRUE(ui::OpenMainWindow(session));
  const platform::WindowSpec& spec = platform.windows.at(ui::kMainWindow).spec;
  EXPECT_EQ(spec.title, "LETTERLOOM by ORVANTO v2.0 beta6");
  EXPECT_EQ(spec.clientWidth, 640);
  EXPECT_EQ(spec.clientHeight, 359);
  EXPECT_EQ(spec.style, platform::kTitleBar | platform::kSystemMenu | platform::kMinimizeBox);
  EXPECT_TRUE(spec.centred);
  EXPECT_EQ(platform.windows.at(ui::kMainWindow).background, ui::kPanelGrey);
  ASSERT_EQ(platform.images.count(ui::kBannerPictureImage), 1u);
  EXPECT_EQ(platform.images.at(ui::kBannerPictureImage).width, 640);
  EXPECT_EQ(platform.images.at(ui::kBannerPictureImage).height, 168);

  const std::vector<std::string> expectedCalls = {
      "OpenWindow 0",         "CreateImage 8",        "CreateGadget 1",       "CreateGadget 2",
      "CreateGadget 3",       "CreateGadget 4",       "CreateGadget 6",       "CreateGadget 5",
      "CreateGadget 22",      "CreateGadget 23",      "CreateGadget 7",       "AddBalloonTip 0 22",
      "SetGadgetColours 2",   "SetGadgetColours 3",   "SetGadgetColours 4",   "SetGadgetColours 5",
      "SetGadgetColours 6",   "SetGadgetColours 23",  "SetGadgetColours 22",  "SetGadgetColours 7",
      "SetWindowColour 0",    "AcceptFileDrops 0",
  };
  EXPECT_EQ(platform.calls, expectedCalls);
  EXPECT_TRUE(platform.windows.at(ui::kMainWindow).acceptsDrops);
}

TEST_F(MainWindowTest, WindowThatCannotOpenBuildsNothing) {
  platform.failWindows = {ui::kMainWindow};
  EXPECT_FALSE(ui::OpenMainWindow(session));
  EXPECT_EQ(platform.calls, std::vector<std::string>{"OpenWindow 0"});
}

// --- the loop ---

struct LoopCase {
  int gadget;
  std::vector<std::string> jobsRun;
  int infoShownAfter;
};

class MainLoopRulesTest : public fake::SessionFixture {
 protected:
  ui::MainJobs RecordingJobs() {
    ui::MainJobs jobs;
    jobs.textFileToImage = [this] { ran.push_back("text"); };
    jobs.clipboardToImage = [this] { ran.push_back("clipboard"); };
    jobs.imageToText = [this] { ran.push_back("image"); };
    jobs.checkForUpdate = [this] { ran.push_back("update"); };
    return jobs;
  }
  std::optional<int> Run(const ui::MainJobs& jobs) {
    return fake::RunUntilEnd([&] { ui::MainLoop(session, jobs); });
  }
  std::vector<std::string> ran;
};

class MainLoopTest : public MainLoopRulesTest, public ::testing::WithParamInterface<LoopCase> {};

TEST_P(MainLoopTest, GadgetEventStartsItsJobOnly) {
  ASSERT_TRUE(ui::OpenMainWindow(session));
  platform.PushClick(ui::kMainWindow, GetParam().gadget);
  platform.PushClose(ui::kMainWindow);
  EXPECT_EQ(Run(RecordingJobs()), 0);
  EXPECT_EQ(ran, GetParam().jobsRun);
  EXPECT_EQ(session.state.InfoShown, GetParam().infoShownAfter);
}

INSTANTIATE_TEST_SUITE_P(
    EveryGadget, MainLoopTest,
    ::testing::Values(LoopCase{1, {}, 0}, LoopCase{2, {}, 0}, LoopCase{3, {}, 0}, LoopCase{7, {}, 0},
                      LoopCase{4, {"text"}, 0}, LoopCase{6, {"clipboard"}, 0},
                      LoopCase{5, {"image"}, 0}, LoopCase{22, {"update"}, 0}, LoopCase{23, {}, 1}));

TEST_F(MainLoopRulesTest, OnlyTheMainWindowsCloseRequestEndsTheProgram) {
  ASSERT_TRUE(ui::OpenMainWindow(session));
  platform.PushClose(ui::kProgressWindow);
  platform.PushClose(11);
  platform.PushEvent({platform::EventKind::Other, ui::kMainWindow, -1});
  platform.PushClick(ui::kMainWindow, ui::kTextFileButton);
  platform.PushClose(ui::kMainWindow);
  EXPECT_EQ(Run(RecordingJobs()), 0);
  EXPECT_EQ(ran, std::vector<std::string>{"text"});
  EXPECT_FALSE(platform.IsWindowOpen(ui::kMainWindow));
}

TEST_F(MainLoopRulesTest, ClicksAndCloseDuringAJobAreTakenAfterItEnds) {
  ASSERT_TRUE(ui::OpenMainWindow(session));
  ui::MainJobs jobs;
  jobs.textFileToImage = [this] {
    ran.push_back("start");
    if (ran.size() == 1) {
      platform.PushClick(ui::kMainWindow, ui::kTextFileButton);
      platform.PushClose(ui::kMainWindow);
    }
    ran.push_back("end");
  };
  platform.PushClick(ui::kMainWindow, ui::kTextFileButton);
  EXPECT_EQ(Run(jobs), 0);
  EXPECT_EQ(ran, (std::vector<std::string>{"start", "end", "start", "end"}));
}

TEST_F(MainLoopRulesTest, DroppedFileStartsThePictureJobForAPngAndTheTextJobOtherwise) {
  ASSERT_TRUE(ui::OpenMainWindow(session));
  ui::MainJobs jobs = RecordingJobs();
  jobs.textFileDropped = [this](const std::string& path) { ran.push_back("text " + path); };
  jobs.imageFileDropped = [this](const std::string& path) { ran.push_back("image " + path); };
  platform.PushDrop(ui::kMainWindow, "/t/notes.txt");
  platform.PushDrop(ui::kMainWindow, "/t/picture.PNG");
  platform.PushDrop(ui::kMainWindow, "/t/old.png/readme");
  platform.PushDrop(ui::kMainWindow, "/t/no extension");
  platform.PushDrop(11, "/t/elsewhere.txt");  // only the main window takes drops
  platform.PushClose(ui::kMainWindow);
  EXPECT_EQ(Run(jobs), 0);
  EXPECT_EQ(ran, (std::vector<std::string>{"text /t/notes.txt", "image /t/picture.PNG", "text /t/old.png/readme",
                                           "text /t/no extension"}));
}

TEST_F(MainLoopRulesTest, MissingJobIsTakenAndDoesNothing) {
  ASSERT_TRUE(ui::OpenMainWindow(session));
  platform.PushClick(ui::kMainWindow, ui::kImageFileButton);
  platform.PushDrop(ui::kMainWindow, "/t/notes.txt");
  platform.PushClose(ui::kMainWindow);
  EXPECT_EQ(Run(ui::MainJobs{}), 0);
}

// --- the info panel ---

TEST_F(MainWindowTest, InfoPanelHidesButtonsShowsCreditsAndTogglesBackToConvert) {
  ASSERT_TRUE(ui::OpenMainWindow(session));
  ui::SetStatusText(session, "Operation completed");
  platform.calls.clear();

  ui::ToggleInfoPanel(session);
  EXPECT_EQ(session.state.InfoShown, 1);
  EXPECT_EQ(platform.calls, (std::vector<std::string>{"Hide 4", "Hide 5", "Hide 6", "Hide 22",
                                                      "SetGadgetColours 7"}));
  EXPECT_FALSE(platform.gadget(ui::kInfoButton).hidden);
  const fake::GadgetRecord* status = &platform.gadget(ui::kStatusLine);
  EXPECT_EQ(status->text, session.catalogue.MsgCredits);
  EXPECT_EQ((std::vector<int>{status->spec.x, status->spec.y, status->spec.width, status->spec.height}),
            (std::vector<int>{20, 195, 605, 108}));

  ui::ToggleInfoPanel(session);
  EXPECT_EQ(session.state.InfoShown, 0);
  for (int button : {4, 5, 6, 22}) EXPECT_FALSE(platform.gadget(button).hidden) << button;
  status = &platform.gadget(ui::kStatusLine);
  EXPECT_EQ(status->text, "Convert !");
  EXPECT_EQ((std::vector<int>{status->spec.x, status->spec.y, status->spec.width, status->spec.height}),
            (std::vector<int>{48, 304, 547, 25}));
  EXPECT_EQ(status->font, 0);
  EXPECT_EQ(status->textColour, ui::kBlack);
  EXPECT_EQ(status->backgroundColour, ui::kAccentGold);
}

}  // namespace
