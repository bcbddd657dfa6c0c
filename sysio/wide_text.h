// UTF-8 and UTF-16 for the wide Windows calls at sysio's edge: inside the program every path is UTF-8.
#pragma once

#ifdef _WIN32

#include <string>
#include <string_view>

namespace sysio::windows {

// The UTF-16 form of a UTF-8 text, for the "W" calls; an invalid sequence
// becomes U+FFFD.
std::wstring Widen(std::string_view utf8);

// The UTF-8 form of a UTF-16 text from a "W" call; a lone surrogate
// becomes U+FFFD.
std::string Narrow(std::wstring_view utf16);

}  // namespace sysio::windows

#endif
