// The result window (window 11): shows DecodedText for editing, copying and saving.
#pragma once

#include "ui/session.h"

namespace ui {

enum ResultGadget : int { kResultWindow = 11, kResultEditor = 12, kSaveTextButton = 13, kCopyTextButton = 14 };

// Opens window 11 with session.decodedText, closes the progress window, and
// runs the window's own loop until a close request from any window; then
// shows window 0 again and blinks MsgCompleted.
void RunResultWindow(Session& session);

}  // namespace ui
