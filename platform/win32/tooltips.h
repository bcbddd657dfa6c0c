// Tooltips of the Win32 backend: plain tips and balloon tips, both of the common controls' tooltip class.
#pragma once

#include <windows.h>

#include <string>

namespace platform::win32 {

// Gives `control` the plain tip `text` (UTF-8) in the tooltip window
// `*tips`, which is created on first use, owned by `owner`; a second call
// replaces the text. False on failure.
bool SetPlainTip(HWND owner, HWND& tips, HWND control, const std::string& text);
// Takes `control` out of the tooltip window `tips` (may be null).
void RemovePlainTip(HWND tips, HWND control);

// Creates a balloon tip for `control`, owned by `owner`: class
// "tooltips_class32", styles popup, balloon (with its stem) and no-prefix,
// the system's tooltip colours, wrapping at `maxWidth` pixels; the tooltip
// watches the control's mouse messages itself. Returns the tooltip window,
// which goes with its owner, or nullptr on failure.
HWND CreateBalloonTip(HWND owner, HWND control, const std::string& text, int maxWidth);

}  // namespace platform::win32
