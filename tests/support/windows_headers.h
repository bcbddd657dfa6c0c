// windows.h for the tests, without the macros that would rename our own functions and test suites.
#pragma once

#ifdef _WIN32
#include <windows.h>

// windows.h names these as macros for its A and W variants (MessageBoxA,
// LoadImageA): the fake backend has a method MessageBox, the codec tests
// a suite LoadImage.
#undef MessageBox
#undef LoadImage
#endif
