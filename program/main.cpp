// The desktop program's entry point: the Qt backend under the program's start-up sequence.
#include "program/startup.h"
#include "platform/qt/qt_platform.h"

int main(int argc, char** argv) {
  std::unique_ptr<platform::Platform> platform = platform::CreateQtPlatform(argc, argv);
  if (!platform) return 1;
  // The program leaves through EndProgram; should the sequence ever return,
  // it still ends without tearing down windows under running workers.
  platform->EndProcess(program::RunProgram(*platform));
}
