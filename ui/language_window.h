// The first-start chooser of the program's language (window 24).
#pragma once

#include "app/language_check.h"
#include "ui/numbers.h"
#include "ui/session.h"

namespace ui {

// Opens window 24 with the three flags and the Exit button and runs its
// loop. A flag stores its language in the settings file and returns Chosen
// (`stored` false when the file could not be written); a close request
// returns Closed. Exit, or a window that cannot be opened, ends the program.
app::LanguageWindowResult ShowLanguageWindow(ui::Session& session);

}  // namespace ui
