// Finding the version in the version file's text.
#include "update/version_text.h"

namespace update {

std::string TextBetween(const std::string& text, const std::string& startMarker,
                        const std::string& endMarker) {
  std::size_t start = text.find(startMarker);
  if (start == std::string::npos) return {};
  start += startMarker.size();
  std::size_t end = text.find(endMarker, start);
  if (end == std::string::npos) return {};
  return text.substr(start, end - start);
}

}  // namespace update
