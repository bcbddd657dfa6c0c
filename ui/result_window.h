// The result window (window 11): shows DecodedText for editing, copying and saving.
#pragma once

#include "ui/numbers.h"
#include "ui/session.h"

namespace ui {

// Opens window 11 with session.decodedText, closes the progress window, and
// runs the window's own loop until a close request from any window; then
// shows window 0 again and blinks MsgCompleted.
void RunResultWindow(Session& session);

}  // namespace ui
