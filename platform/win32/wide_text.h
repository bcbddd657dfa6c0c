// Text at the edge of the Win32 backend: UTF-8 inside the program, UTF-16 for the wide Windows calls.
#pragma once

#include <string>
#include <string_view>

namespace platform::win32 {

// UTF-8 to UTF-16; an invalid sequence becomes U+FFFD.
std::wstring Widen(std::string_view utf8);
// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string Narrow(std::wstring_view utf16);

// The text with every lone "\n" and lone "\r" turned into "\r\n", the only
// line end an EDIT control breaks lines at.
std::wstring WithCrLf(std::wstring_view text);

}  // namespace platform::win32
