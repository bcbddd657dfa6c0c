// Where every window goes on screens of common sizes and scales, and how the result window fits a small one.
#include "platform/window_placement.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "tests/support/session_fixture.h"
#include "ui/language_window.h"
#include "ui/main_window.h"
#include "ui/result_window.h"
#include "ui/status_line.h"

namespace {

using platform::ScreenRect;

// A screen as the program sees it: at a scale factor its pixels are the
// device's divided by the factor; the available area leaves out a panel.
struct ScreenCase {
  const char* name;
  ScreenRect screen;
  ScreenRect available;
  int mainX, mainY;                 // the main window's outer top-left
  int resultX, resultY;             // the result window's outer top-left
  int resultWidth, resultHeight;    // its client size
  int editorHeight;
};
void PrintTo(const ScreenCase& c, std::ostream* os) { *os << c.name; }

class WindowPlacementTest : public fake::SessionFixture, public ::testing::WithParamInterface<ScreenCase> {
 protected:
  WindowPlacementTest() {
    platform.screen = GetParam().screen;
    platform.available = GetParam().available;
    platform.titledFrame = {1, 20, 1, 1};
  }

  // The window lies inside the available area along every side where it
  // can; where it is larger, its left or top edge is the area's.
  void ExpectOnScreen(int window) const {
    SCOPED_TRACE("window " + std::to_string(window));
    const ScreenRect outer = platform.windows.at(window).outer;
    const ScreenRect area = GetParam().available;
    if (outer.width <= area.width) {
      EXPECT_GE(outer.x, area.x);
      EXPECT_LE(outer.x + outer.width, area.x + area.width);
    } else {
      EXPECT_EQ(outer.x, area.x);
    }
    if (outer.height <= area.height) {
      EXPECT_GE(outer.y, area.y);
      EXPECT_LE(outer.y + outer.height, area.y + area.height);
    } else {
      EXPECT_EQ(outer.y, area.y);
    }
  }
};

TEST_P(WindowPlacementTest, EveryWindowIsOnTheScreenAndTheResultButtonsStayReachable) {
  const ScreenCase& c = GetParam();
  ASSERT_TRUE(ui::OpenMainWindow(session));
  const ScreenRect main = platform.windows.at(ui::kMainWindow).outer;
  EXPECT_EQ(main.x, c.mainX);
  EXPECT_EQ(main.y, c.mainY);
  ExpectOnScreen(ui::kMainWindow);

  ui::OpenProgressWindow(session);
  ExpectOnScreen(ui::kProgressWindow);

  platform.PushClose(ui::kLanguageWindow);
  ui::ShowLanguageWindow(session);
  ExpectOnScreen(ui::kLanguageWindow);

  std::vector<platform::GadgetSpec> gadgets;
  platform.onIdle = [&] {
    for (const fake::GadgetRecord* g : platform.GadgetsOf(ui::kResultWindow)) gadgets.push_back(g->spec);
    platform.PushClose(ui::kResultWindow);
  };
  ui::RunResultWindow(session);
  const fake::WindowRecord& result = platform.windows.at(ui::kResultWindow);
  EXPECT_EQ(result.outer.x, c.resultX);
  EXPECT_EQ(result.outer.y, c.resultY);
  EXPECT_EQ(result.spec.clientWidth, c.resultWidth);
  EXPECT_EQ(result.spec.clientHeight, c.resultHeight);
  // The whole result window is on the screen: its title bar and close box
  // above, the Copy and Save buttons inside its client area below.
  EXPECT_GE(result.outer.x, c.available.x);
  EXPECT_LE(result.outer.x + result.outer.width, c.available.x + c.available.width);
  EXPECT_GE(result.outer.y, c.available.y);
  EXPECT_LE(result.outer.y + result.outer.height, c.available.y + c.available.height);
  ASSERT_EQ(gadgets.size(), 3u);
  const platform::GadgetSpec& editor = gadgets[0];
  const platform::GadgetSpec& copy = gadgets[1];
  const platform::GadgetSpec& save = gadgets[2];
  EXPECT_EQ(editor.height, c.editorHeight);
  EXPECT_EQ(copy.y, 5 + c.editorHeight + 5);
  EXPECT_EQ(save.y, copy.y + 45 + 5);
  EXPECT_EQ(save.y + save.height + 5, c.resultHeight);
  for (const platform::GadgetSpec* gadget : {&editor, &copy, &save}) {
    EXPECT_EQ(gadget->x, 5);
    EXPECT_EQ(gadget->width, c.resultWidth - 10);
  }
}

// Frames of 1, 20, 1, 1 pixels: the main window is 642 x 380 outside, the
// result window 642 x 681 at its designed size. The panels are 30 device
// pixels high.
INSTANTIATE_TEST_SUITE_P(
    Screens, WindowPlacementTest,
    ::testing::Values(
        // Room enough: every window where it was designed to be.
        ScreenCase{"Screen1280x1024", {0, 0, 1280, 1024}, {0, 0, 1280, 994}, 319, 322, 330, 155, 640, 660, 550},
        // Too low for the result window at y 155: moved up, kept whole.
        ScreenCase{"Screen1366x768", {0, 0, 1366, 768}, {0, 0, 1366, 738}, 362, 194, 330, 57, 640, 660, 550},
        ScreenCase{"Screen1366x768PanelOnTop", {0, 0, 1366, 768}, {0, 28, 1366, 740}, 362, 194, 330, 87, 640, 660,
                   550},
        ScreenCase{"Screen1024x768", {0, 0, 1024, 768}, {0, 0, 1024, 738}, 191, 194, 330, 57, 640, 660, 550},
        ScreenCase{"Screen2560x1440Scale2", {0, 0, 1280, 720}, {0, 0, 1280, 705}, 319, 170, 330, 24, 640, 660, 550},
        // Too small for the result window anywhere: the editor gives up the
        // height (and the gadgets the width) that the screen lacks.
        ScreenCase{"Screen1366x768Scale1point5", {0, 0, 910, 512}, {0, 0, 910, 492}, 134, 66, 268, 0, 640, 471,
                   361},
        ScreenCase{"Screen1280x1024Scale2", {0, 0, 640, 512}, {0, 0, 640, 497}, 0, 66, 0, 0, 638, 476, 366},
        // The main window keeps its designed size: too large, it shows its
        // title bar and top-left part.
        ScreenCase{"Screen1366x768Scale2", {0, 0, 683, 384}, {0, 0, 683, 369}, 20, 0, 41, 0, 640, 348, 238},
        ScreenCase{"Screen1024x768Scale2", {0, 0, 512, 384}, {0, 0, 512, 369}, 0, 0, 0, 0, 510, 348, 238}),
    [](const auto& info) { return std::string(info.param.name); });

// The rule itself, on the edges the table does not reach.
TEST(PlaceWindow, CentresOnTheWholeScreenAndFallsBackToItWithoutAnArea) {
  platform::WindowSpec centred;
  centred.clientWidth = 100;
  centred.clientHeight = 50;
  const ScreenRect screen{0, 0, 1000, 800};
  // Centred on the screen, not on the available area, where that fits.
  EXPECT_EQ(platform::PlaceWindow(centred, screen, {0, 100, 1000, 700}, {}), (ScreenRect{450, 375, 100, 50}));
  // An empty available area stands for the whole screen.
  platform::WindowSpec placed = centred;
  placed.centred = false;
  placed.x = 950;
  placed.y = -20;
  EXPECT_EQ(platform::PlaceWindow(placed, screen, {}, {2, 10, 2, 2}), (ScreenRect{896, 0, 104, 62}));
}

}  // namespace
