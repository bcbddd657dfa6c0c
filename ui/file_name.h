// The extension rule for the names that the save requesters return.
#pragma once

#include <string>
#include <string_view>

namespace ui {

// The characters after the path's last "." when no "\" or "/" follows that
// dot; empty when there is no such dot.
std::string_view PathExtension(std::string_view path);

// `path` unchanged when its extension, in ASCII lower case, is `extension`
// (given in lower case, without the dot); otherwise path + "." + extension.
std::string AddMissingExtension(const std::string& path, std::string_view extension);

}  // namespace ui
