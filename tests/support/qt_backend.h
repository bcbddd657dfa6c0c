// The one Qt backend of a Qt test program, shared by every test file that needs one.
#pragma once

#include <QtGlobal>

#include "platform/platform.h"
#include "platform/qt/qt_platform.h"

namespace qttest {

// Created on first use under the offscreen platform (unless the environment
// names another); it lives until the process ends, as in the program.
inline platform::Platform& Backend() {
  static platform::Platform* backend = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "qt_tests";
    static char* argv[] = {name, nullptr};
    return platform::CreateQtPlatform(argc, argv).release();
  }();
  return *backend;
}

}  // namespace qttest
