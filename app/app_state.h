// The program-wide state set up at start-up: paths, version, fonts, captions.
#pragma once

#include <string>

#include "platform/platform.h"

namespace app {

// Font numbers the windows use.
inline constexpr int kMainFontNumber = 0;
inline constexpr int kSmallFontNumber = 1;
inline constexpr int kProgressFontNumber = 17;

// Everything the start-up sequence sets before the language check. One
// value for the whole run; tests build a fresh one for each case.
struct AppState {
  std::string VersionString;
  std::string UpdateInfoUrl;
  std::string UpdateArchiveUrl;
  std::string StartDirectory;   // ends with the path separator
  std::string ContactsText;
  std::string SettingsPath;     // StartDirectory + "prefs.lng"
  platform::FontSpec MainFont;  // font 0
  platform::FontSpec SmallFont; // font 1
  std::string TempDirectory;    // ends with the path separator
  std::string ScratchPath;      // TempDirectory + "letterloomtemp.orvanto"
  std::string CurrentFolder;
  int InfoShown = 0;
  std::string TextToImageCaption;
  std::string ImageToTextCaption;
  std::string ChosenLanguage;   // "Français", "English" or "Deutsch" (UTF-8)
};

// The state after start-up steps 1 to 10, for a process whose current
// directory and temporary folder are the given ones (a separator is added
// when missing). ChosenLanguage stays empty until the language check.
AppState MakeAppState(const std::string& currentDirectory, const std::string& tempDirectory);

// The same for this process: its current directory and the system's
// temporary folder (TMPDIR, else /tmp).
AppState MakeAppStateForProcess();

// The host of the maker's web server, fixed when the program is built.
const char* UpdateHost();

}  // namespace app

namespace app {

// The one way out of the program: releases what is held and ends the
// process with exit code 0. Never returns.
[[noreturn]] void EndProgram(platform::Platform& platform);

}  // namespace app
