// The status line of the main window, its blink worker, the progress window and the balloon tooltip.
#include "ui/status_line.h"

#include <memory>

#include "app/app_state.h"
#include "ui/palette.h"

namespace ui {
namespace {

constexpr int kProgressWidth = 292;
constexpr int kProgressHeight = 30;
const platform::FontSpec kProgressFont{"Microsoft Sans Serif", 12, true};

// Hands one change of the status line to the user-interface thread. The
// change looks the gadget up when it is applied, so it does nothing once the
// main window is gone.
void PostStatusText(platform::Platform& platform, std::shared_ptr<const std::string> text) {
  platform.RunOnUiThread([&platform, text] {
    if (platform.GadgetExists(kStatusLine)) platform.SetGadgetText(kStatusLine, *text);
  });
}

// The StatusBlinker worker. It touches nothing but the platform, which lives
// for the whole process, and its own copy of the message.
void StatusBlinker(platform::Platform& platform, std::shared_ptr<const std::string> message) {
  platform.RunOnUiThread([&platform] {
    if (platform.GadgetExists(kStatusLine)) {
      platform.SetGadgetFont(kStatusLine, app::kMainFontNumber);
    }
  });
  auto blank = std::make_shared<const std::string>();
  for (int cycle = 0; cycle < kBlinkCycles; ++cycle) {
    PostStatusText(platform, blank);
    platform.Delay(kBlinkHalfPeriodMs);
    PostStatusText(platform, message);
    platform.Delay(kBlinkHalfPeriodMs);
  }
}

}  // namespace

void SetStatusText(Session& session, const std::string& text) {
  session.platform.SetGadgetText(kStatusLine, text);
}

void BlinkStatus(Session& session, const std::string& text) {
  // The worker keeps its own copy: it may outlive the caller's text.
  auto message = std::make_shared<const std::string>(text);
  platform::Platform& platform = session.platform;
  platform.StartThread([&platform, message] { StatusBlinker(platform, message); });
}

void OpenProgressWindow(Session& session) {
  platform::Platform& platform = session.platform;
  if (!platform.OpenWindow({.number = kProgressWindow,
                            .title = {},  // no title bar at all
                            .clientWidth = kProgressWidth,
                            .clientHeight = kProgressHeight,
                            .style = platform::kPopup,
                            .owner = kMainWindow})) {
    return;
  }
  platform.CreateGadget({.window = kProgressWindow,
                         .number = kProgressTextGadget,
                         .kind = platform::GadgetKind::Text,
                         .x = 5,
                         .y = 5,
                         .width = 280,
                         .height = 20,
                         .text = session.catalogue.MsgPleaseWait,
                         .centred = true});

  platform.LoadFont(app::kProgressFontNumber, kProgressFont);
  platform.SetGadgetFont(kProgressTextGadget, app::kProgressFontNumber);
  platform.SetWindowColour(kProgressWindow, kProgressAmber);
  platform.SetGadgetColours(kProgressTextGadget, kBlack, kAccentGold);
}

void CloseProgressWindow(Session& session) {
  if (session.platform.IsWindowOpen(kProgressWindow)) session.platform.CloseWindow(kProgressWindow);
}

int AddBalloonTip(Session& session, int window, int gadget, const std::string& text) {
  return session.platform.AddBalloonTip(window, gadget, text, kBalloonTipWidth);
}

}  // namespace ui
