// Clipboard text of the Win32 backend: CF_TEXT in the ANSI code page, with CF_UNICODETEXT beside it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace platform::win32 {

// The clipboard's text as UTF-8, up to its first NUL: its CF_UNICODETEXT,
// which the system makes from CF_TEXT where a program put only that.
// Nothing when it holds no text or cannot be opened.
std::optional<std::string> ReadClipboardText(HWND owner);

// Replaces the clipboard's content with `utf8` twice over: as CF_TEXT in
// the ANSI code page, where a character that code page lacks becomes "?",
// and as CF_UNICODETEXT, which keeps every character. (With the program's
// UTF-8 code page both hold the same text.) False when the clipboard
// cannot be opened or takes neither.
bool WriteClipboardText(HWND owner, const std::string& utf8);

}  // namespace platform::win32
