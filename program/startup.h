// The program's start-up sequence, from the global state to the main loop.
#pragma once

#include <functional>

#include "platform/platform.h"
#include "ui/main_window.h"
#include "ui/session.h"

namespace program {

// Ways to look into the start-up sequence; the program passes none.
struct StartupHooks {
  // Called once the session exists and the fonts are loaded, before the
  // language check (a test scripts its backend here).
  std::function<void(ui::Session&)> sessionReady;
  // The jobs of the main window's buttons; the program's own when empty.
  std::function<ui::MainJobs(ui::Session&)> makeJobs;
};

// Sets up the state, loads fonts 0 and 1, runs the language check (with the
// language window), fills the catalogue, gives the platform the chosen
// language for its own texts, opens the main window and runs its loop. Leaves only through EndProgram, with exit code 0; when the main
// window cannot be opened the program ends at once.
int RunProgram(platform::Platform& platform, const StartupHooks& hooks = {});

}  // namespace program
