// Top-level windows of the Win32 backend: style bits, placement by client size, and one window procedure.
#pragma once

#include "platform/platform.h"

#include <windows.h>

namespace platform::win32 {

// The window class of every program window.
inline constexpr wchar_t kTopWindowClass[] = L"LetterloomWindow";

// What a program window's procedure asks of the backend: it returns true
// when it handled the message and set `result`; otherwise the default
// procedure runs.
class MessageHandler {
 public:
  virtual bool OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;

 protected:
  ~MessageHandler() = default;
};

struct WindowStyles {
  DWORD style = 0;
  DWORD exStyle = 0;
};

// The Win32 styles for the style bits: only the boxes asked for; a popup
// is bare (no caption, no frame), stays on top and is never activated.
WindowStyles StylesFor(unsigned style);

// The outer rectangle of the window `spec` describes, on a screen of that size: the
// client size plus the frame (AdjustWindowRectEx), centred with the outer
// size first clipped to the screen, or with its top-left corner at (x, y).
RECT OuterRect(const WindowSpec& spec, const WindowStyles& styles, SIZE screen);

// Creates and shows the window; its messages go to `handler` (which must
// outlive it). nullptr on failure.
HWND CreateTopWindow(const WindowSpec& spec, MessageHandler* handler);

}  // namespace platform::win32
