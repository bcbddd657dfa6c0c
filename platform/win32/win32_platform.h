// Creates the native Win32 backend of the windowing layer; this header needs no system header.
#pragma once

#include "platform/platform.h"

#include <memory>

namespace platform {

// Creates the backend on the calling thread, which becomes the
// user-interface thread: it initialises the common controls and OLE and
// makes the hidden window that worker changes are posted to. nullptr when
// that fails. The backend is meant to live until EndProcess.
std::unique_ptr<Platform> CreateWin32Platform();

}  // namespace platform
