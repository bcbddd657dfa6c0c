// The program's start-up sequence, from the global state to the main loop.
#pragma once

#include "platform/platform.h"

namespace program {

// Sets up the state, loads fonts 0 and 1, runs the language check (with the
// language window), fills the catalogue, gives the platform the chosen
// language for its own texts, opens the main window and runs its loop. Leaves only through EndProgram, with exit code 0; when the main
// window cannot be opened the program ends at once.
int RunProgram(platform::Platform& platform);

}  // namespace program
