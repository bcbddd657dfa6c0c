// The one Win32 backend of a test program and the small window helpers its test files share.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>

#include "platform/platform.h"
#include "platform/win32/top_window.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_platform.h"

namespace win32test {

// Created on first use, on the test thread; it lives until the process
// ends, as in the program.
inline platform::Platform& Backend() {
  static platform::Platform* backend = platform::CreateWin32Platform().release();
  return *backend;
}

inline std::wstring TextOf(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

inline std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

// The program window with that title.
inline HWND TopWindowTitled(const std::string& title) {
  return FindWindowW(platform::win32::kTopWindowClass, platform::win32::Widen(title).c_str());
}

// Runs the messages waiting on this thread, without waiting for an event.
inline void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// Runs this thread's messages for a while, as the program's loop would.
inline void PumpFor(std::chrono::milliseconds time) {
  const auto end = std::chrono::steady_clock::now() + time;
  while (std::chrono::steady_clock::now() < end) {
    Pump();
    Sleep(10);
  }
}

}  // namespace win32test
