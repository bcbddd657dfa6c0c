// The status line of the main window, the progress window and the balloon tooltip.
#pragma once

#include <string>

#include "ui/numbers.h"
#include "ui/session.h"

namespace ui {

inline constexpr int kBalloonTipWidth = 180;
inline constexpr int kBlinkCycles = 5;
inline constexpr int kBlinkHalfPeriodMs = 150;

// Replaces the status line's text at once.
void SetStatusText(Session& session, const std::string& text);

// Starts a StatusBlinker worker for the text and returns at once: five
// times blank for 150 ms then the text for 150 ms, ending on the text. The
// text must live for the whole run (a catalogue text). Nothing is reported
// when the worker cannot start.
void BlinkStatus(Session& session, const std::string& text);

// Opens the frameless "Please wait" window over the main window, below any
// message box; absent when it cannot open.
void OpenProgressWindow(Session& session);
// Closes it; harmless when it is not open.
void CloseProgressWindow(Session& session);

// Attaches a balloon tooltip 180 pixels wide; returns its handle.
int AddBalloonTip(Session& session, int window, int gadget, const std::string& text);

}  // namespace ui
