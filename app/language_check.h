// The start-up check that finds the chosen language or asks for one.
#pragma once

#include <functional>
#include <string>

#include "app/app_state.h"
#include "platform/platform.h"

namespace app {

// What one showing of the language window ends with.
struct LanguageWindowResult {
  enum class Kind { Closed, Chosen };
  Kind kind = Kind::Closed;
  std::string language;  // the chosen language (UTF-8 name) when Chosen
  bool stored = false;   // whether the choice reached the settings file
};

using ShowLanguageWindowFn = std::function<LanguageWindowResult()>;

// Makes sure the settings file exists and sets state.ChosenLanguage, showing
// the language window until a language is chosen. Ends the program through
// EndProgram when the file cannot be created (or when the window's Exit
// button does so). A choice that could not be stored is taken for this run.
void LanguageCheck(AppState& state, platform::Platform& platform,
                   const ShowLanguageWindowFn& showLanguageWindow);

}  // namespace app
