// The start-up language check: the settings file made sure of, the chosen language found or asked for.
#include "app/language_check.h"

#include <array>
#include <optional>

#include "app/message_catalogue.h"
#include "app/settings_file.h"

namespace app {
namespace {

constexpr std::array<const char*, 3> kLanguagesInOrder = {kFrench, kEnglish, kDeutsch};
constexpr const char* kNotChosen = "0";

constexpr const char* kAlertTitle = "Alert";
constexpr const char* kAlertText = "Pref error, try To download the software again.";
constexpr unsigned kAlertType = platform::kMbIconWarning | platform::kMbIconInformation | platform::kMbOk;
constexpr const char* kClosedTitle = " ";
constexpr const char* kClosedText = "OUPPPS";

// The first language whose "LNG" is not exactly "0", from a file that is open.
std::optional<std::string> FindChosenLanguage(SettingsFile& settings) {
  for (const char* language : kLanguagesInOrder) {
    settings.SelectGroup(LanguageGroupName(language));
    if (settings.ReadSetting(kLanguageKey, "") != kNotChosen) return language;
  }
  return std::nullopt;
}

// Opens the settings file, creating it with its default content when it
// is missing; ends the program when it cannot be created.
void OpenOrCreate(SettingsFile& settings, const AppState& state, platform::Platform& platform) {
  if (settings.Open(state.SettingsPath)) return;
  if (CreateDefaultSettings(state.SettingsPath) && settings.Open(state.SettingsPath)) return;
  platform.ShowMessageBox(kAlertTitle, kAlertText, kAlertType);
  EndProgram(platform);
}

}  // namespace

void LanguageCheck(AppState& state, platform::Platform& platform,
                   const ShowLanguageWindowFn& showLanguageWindow) {
  for (;;) {
    SettingsFile settings;
    OpenOrCreate(settings, state, platform);
    const auto chosen = FindChosenLanguage(settings);
    settings.Close();
    if (chosen) {
      state.ChosenLanguage = *chosen;
      return;
    }
    const LanguageWindowResult result = showLanguageWindow();
    if (result.kind == LanguageWindowResult::Kind::Chosen) {
      // A stored choice is found by the next round; one that could not be
      // stored still holds for this run (the next start asks again).
      if (!result.stored) {
        state.ChosenLanguage = result.language;
        return;
      }
      continue;
    }
    platform.ShowMessageBox(kClosedTitle, kClosedText, platform::kMbOk);
  }
}

}  // namespace app
