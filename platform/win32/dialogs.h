// File requesters and message boxes of the Win32 backend, over the common dialogues and MessageBoxW.
#pragma once

#include "platform/platform.h"

#include <windows.h>

#include <string>
#include <vector>

namespace platform::win32 {

// The filter of the common dialogues for a pattern list "Label|*.a;*.b|…":
// label and patterns as pairs of NUL-ended strings, ended by one more NUL.
// A label without patterns matches every file.
std::wstring FilterFromPattern(const std::string& pattern);

// Shows the open or save requester owned by `owner` (may be null) and
// returns the chosen full path (UTF-8), or the empty text when cancelled.
// Every window in `others` is disabled while it is shown, so the requester
// is modal to all of them.
std::string RunFileRequester(const RequesterSpec& spec, HWND owner, const std::vector<HWND>& others);

// Shows a message box whose type is the MB_ value given, owned by `owner`
// (may be null), modal to the windows in `others` too; returns a
// MessageBoxAnswer (Ok, or No for a Yes/No box, when it fails).
int RunMessageBox(const std::string& title, const std::string& text, unsigned type, HWND owner,
                  const std::vector<HWND>& others);

}  // namespace platform::win32
