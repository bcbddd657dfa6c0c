// The status line's blink worker, the progress window and the balloon tooltip.
#include "ui/status_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/session_fixture.h"
#include "ui/main_window.h"
#include "ui/palette.h"

namespace {

class StatusLineTest : public fake::SessionFixture {
 protected:
  // Window 0 with only its status line: the blink needs nothing else.
  void OpenStatusLine() {
    platform.OpenWindow({ui::kMainWindow, "main", 640, 359});
    platform::GadgetSpec spec;
    spec.window = ui::kMainWindow;
    spec.number = ui::kStatusLine;
    spec.kind = platform::GadgetKind::StatusField;
    spec.text = "Convert !";
    platform.CreateGadget(spec);
  }
  // The status line's changes as "time:text".
  std::vector<std::string> StatusChanges() const {
    std::vector<std::string> result;
    for (const fake::TextChange& change : platform.textChanges) {
      if (change.gadget == ui::kStatusLine) {
        result.push_back(std::to_string(change.timeMs) + ":" + change.text);
      }
    }
    return result;
  }
};

TEST_F(StatusLineTest, BlinkAlternatesFiveTimesEndsOnTextAndNeverHoldsTheUiThread) {
  OpenStatusLine();
  ui::BlinkStatus(session, "Done");
  EXPECT_EQ(platform.now(), 0);
  EXPECT_TRUE(platform.delays.empty());
  EXPECT_TRUE(StatusChanges().empty()) << "changes reach the status line only through the UI thread";

  platform.AdvanceTime(2000);
  const std::vector<std::string> expected = {"0:",    "150:Done",  "300:",  "450:Done",
                                             "600:",  "750:Done",  "900:",  "1050:Done",
                                             "1200:", "1350:Done"};
  EXPECT_EQ(StatusChanges(), expected);
  EXPECT_EQ(platform.gadget(ui::kStatusLine).text, "Done");
  EXPECT_EQ(platform.gadget(ui::kStatusLine).font, 0);
  EXPECT_EQ(platform.threadsStarted, 1);
}

TEST_F(StatusLineTest, OverlappingBlinksInterleaveAndEndOnTheSecondText) {
  OpenStatusLine();
  ui::BlinkStatus(session, "first");
  platform.AdvanceTime(500);
  ui::BlinkStatus(session, "second");
  platform.AdvanceTime(3000);

  const std::vector<std::string> changes = StatusChanges();
  ASSERT_EQ(changes.size(), 20u);
  EXPECT_EQ(std::count(changes.begin(), changes.end(), "1350:first"), 1);
  EXPECT_EQ(std::count(changes.begin(), changes.end(), "650:second"), 1);
  EXPECT_EQ(changes.back(), "1850:second");
  EXPECT_EQ(platform.gadget(ui::kStatusLine).text, "second");
}

TEST_F(StatusLineTest, BlinkKeepsItsOwnCopyOfTheText) {
  OpenStatusLine();
  {
    std::string shortLived = "gone soon";
    ui::BlinkStatus(session, shortLived);
    shortLived = "overwritten";
  }
  platform.FlushPosted();
  EXPECT_EQ(platform.gadget(ui::kStatusLine).text, "gone soon");
}

TEST_F(StatusLineTest, BlinkIsHarmlessWhenTheStatusLineIsGoneOrNoThreadStarts) {
  OpenStatusLine();
  ui::BlinkStatus(session, "late");
  platform.CloseWindow(ui::kMainWindow);
  platform.FlushPosted();
  EXPECT_TRUE(StatusChanges().empty());

  OpenStatusLine();
  platform.failThreads = true;
  ui::BlinkStatus(session, "never");
  platform.FlushPosted();
  EXPECT_TRUE(StatusChanges().empty());
  EXPECT_EQ(platform.gadget(ui::kStatusLine).text, "Convert !");
}

TEST_F(StatusLineTest, ProgressWindowIsAFramelessAmberPopupWithItsOwnFont) {
  for (int opening = 0; opening < 2; ++opening) {
    ui::OpenProgressWindow(session);
    ui::CloseProgressWindow(session);
  }
  ui::OpenProgressWindow(session);
  const platform::WindowSpec& window = platform.windows.at(ui::kProgressWindow).spec;
  EXPECT_EQ(window.style, platform::kPopup);
  EXPECT_EQ(window.title, "");
  EXPECT_EQ(window.clientWidth, 292);
  EXPECT_EQ(window.clientHeight, 30);
  EXPECT_TRUE(window.centred);
  EXPECT_EQ(window.owner, ui::kMainWindow) << "kept over the main window, below the message boxes";
  EXPECT_EQ(platform.windows.at(ui::kProgressWindow).background, ui::kProgressAmber);

  const fake::GadgetRecord& text = platform.gadget(ui::kProgressTextGadget);
  EXPECT_EQ(text.spec.kind, platform::GadgetKind::Text);
  EXPECT_TRUE(text.spec.centred);
  EXPECT_EQ((std::vector<int>{text.spec.x, text.spec.y, text.spec.width, text.spec.height}),
            (std::vector<int>{5, 5, 280, 20}));
  EXPECT_EQ(text.text, "Please Wait");
  EXPECT_EQ(text.font, 17);
  EXPECT_EQ(text.textColour, ui::kBlack);
  EXPECT_EQ(text.backgroundColour, ui::kAccentGold);
  EXPECT_EQ(platform.fonts.at(17), (platform::FontSpec{"Microsoft Sans Serif", 12, true}));
  EXPECT_EQ(std::count(platform.calls.begin(), platform.calls.end(), "LoadFont 17"), 3)
      << "the font is loaded again at every opening";
}

TEST_F(StatusLineTest, ClosingTheProgressWindowTwiceOrWhenItCouldNotOpenDoesNothing) {
  ui::OpenProgressWindow(session);
  ui::CloseProgressWindow(session);
  ui::CloseProgressWindow(session);
  EXPECT_EQ(std::count(platform.calls.begin(), platform.calls.end(), "CloseWindow 15"), 1);

  platform.calls.clear();
  platform.failWindows = {ui::kProgressWindow};
  ui::OpenProgressWindow(session);
  ui::CloseProgressWindow(session);
  EXPECT_EQ(platform.calls, std::vector<std::string>{"OpenWindow 15"});
}

}  // namespace
