// Creates the Qt Widgets backend of the windowing layer; this header needs no Qt.
#pragma once

#include "platform/platform.h"

#include <memory>

namespace platform {

// Creates the application object and the backend over it. argc and argv
// must live as long as the process (main's do). Call it once, on the thread
// that becomes the user-interface thread; nullptr when an application
// object exists already. The backend is meant to live until EndProcess.
std::unique_ptr<Platform> CreateQtPlatform(int& argc, char** argv);

}  // namespace platform
