// Finding the version in the version file's text.
#pragma once

#include <string>

namespace update {

inline constexpr const char* kStartVersionMarker = "*-";
inline constexpr const char* kEndVersionMarker = "-*";

// The text between the first start marker and the first end marker that
// begins after it, unchanged. Empty when the start marker is missing or no
// end marker follows it.
std::string TextBetween(const std::string& text, const std::string& startMarker,
                        const std::string& endMarker);

}  // namespace update
