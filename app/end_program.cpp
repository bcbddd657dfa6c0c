// The one way out of the program.
#include "app/app_state.h"

#include <cstdlib>

namespace app {

void EndProgram(platform::Platform& platform) {
  // The settings file is never held open between operations, so nothing is
  // left to close or rewrite here; windows and blink workers go with the process.
  platform.EndProcess(0);
  // A backend whose EndProcess came back would break the promise never to return.
  std::_Exit(0);
}

}  // namespace app
