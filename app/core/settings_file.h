// The settings file "prefs.lng": its reader and writer, and the last-folder memory.
#pragma once

#include <string>

#include "app/core/app_state.h"

namespace app {

// Which last folder: text files or PNG files.
enum FolderKind : int { kTextFolder = 1, kPngFolder = 2 };

// Sets state.CurrentFolder from the settings file (empty when it has none)
// and returns it; any other kind leaves CurrentFolder unchanged.
std::string ReadLastFolder(AppState& state, int kind);

// Sets state.CurrentFolder to the folder part of path (up to its last '/'
// or '\'), stores it in the settings file and returns it.
std::string StoreLastFolder(AppState& state, const std::string& path, int kind);

// Writes "1" under "LNG" in the group of `language` (UTF-8 name); true when
// the file was written, false when the change was lost (read-only file).
bool StoreLanguageChoice(const AppState& state, const std::string& language);

}  // namespace app
