// The named colours of the program's windows.
#pragma once

#include "platform/platform.h"

namespace ui {

// Background of the buttons, of the status line and of the progress text.
inline const platform::Colour kAccentGold = platform::Colour::FromRgb(217, 200, 68);
// Background of the main window and of its frame.
inline const platform::Colour kPanelGrey = platform::Colour::FromRgb(151, 151, 151);
// Background of the progress window.
inline const platform::Colour kProgressAmber = platform::Colour::FromRgb(232, 182, 89);
inline const platform::Colour kBlack = platform::Colour::FromRgb(0, 0, 0);

}  // namespace ui
