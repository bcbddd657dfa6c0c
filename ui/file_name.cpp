// Applies the extension rule that the PNG and text save requesters share.
#include "ui/file_name.h"

#include <algorithm>

namespace ui {
namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string_view PathExtension(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos) return {};
  const std::string_view after = path.substr(dot + 1);
  if (after.find_first_of("\\/") != std::string_view::npos) return {};
  return after;
}

std::string AddMissingExtension(const std::string& path, std::string_view extension) {
  const std::string_view current = PathExtension(path);
  const bool same = current.size() == extension.size() &&
                    std::equal(current.begin(), current.end(), extension.begin(),
                               [](char a, char b) { return AsciiLower(a) == b; });
  if (same) return path;
  std::string result = path;
  result += '.';
  result += extension;
  return result;
}

}  // namespace ui
