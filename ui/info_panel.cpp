// The info button's job: the credits panel that takes the place of the buttons.
#include "ui/main_window.h"

#include "app/app_state.h"
#include "ui/palette.h"
#include "ui/status_line.h"

namespace ui {
namespace {

struct Geometry {
  int x, y, width, height;
};
constexpr Geometry kNormalStatusLine{48, 304, 547, 25};
constexpr Geometry kPanelStatusLine{20, 195, 605, 108};

void ShowStatusLine(Session& session, const Geometry& where, const std::string& text) {
  platform::Platform& platform = session.platform;
  platform.MoveGadget(kStatusLine, where.x, where.y, where.width, where.height);
  SetStatusText(session, text);
  platform.SetGadgetColours(kStatusLine, kBlack, kAccentGold);
  platform.SetGadgetFont(kStatusLine, app::kMainFontNumber);
}

}  // namespace

void ToggleInfoPanel(Session& session) {
  if (session.state.InfoShown == 1) {
    session.state.InfoShown = 0;
    SetMainButtonsHidden(session, false);
    ShowStatusLine(session, kNormalStatusLine, session.catalogue.MsgConvert);
  } else if (session.state.InfoShown == 0) {
    session.state.InfoShown = 1;
    SetMainButtonsHidden(session, true);
    ShowStatusLine(session, kPanelStatusLine, session.catalogue.MsgCredits);
  }
}

}  // namespace ui
