// The start-up values of the program-wide state.
#include "app/app_state.h"

#include "app/message_catalogue.h"
#include "resources/version.h"
#include "sysio/files.h"
#include "sysio/path_names.h"

#ifndef LETTERLOOM_UPDATE_HOST
#error "LETTERLOOM_UPDATE_HOST must name the maker's web server (set by CMake)"
#endif

namespace app {
namespace {

constexpr const char* kUpdateInfoPath = "/fr/downloads/letterloom.txt";
constexpr const char* kUpdateArchivePath = "/fr/downloads/letterloom.zip";
constexpr const char* kSettingsFileName = "prefs.lng";
constexpr const char* kScratchFileName = "letterloomtemp.orvanto";
constexpr const char* kFontFace = "arial";
constexpr int kMainFontPoints = 11;
constexpr int kSmallFontPoints = 8;

}  // namespace

const char* UpdateHost() { return LETTERLOOM_UPDATE_HOST; }

AppState MakeAppState(const std::string& currentDirectory, const std::string& tempDirectory) {
  AppState state;
  state.VersionString = resources::kVersionText;
  const std::string server = std::string("http://") + UpdateHost();
  state.UpdateInfoUrl = server + kUpdateInfoPath;
  state.UpdateArchiveUrl = server + kUpdateArchivePath;
  state.StartDirectory = sysio::WithTrailingSeparator(currentDirectory);
  state.ContactsText = MakeContactsText();
  state.SettingsPath = state.StartDirectory + kSettingsFileName;
  state.MainFont = {kFontFace, kMainFontPoints, false};
  state.SmallFont = {kFontFace, kSmallFontPoints, false};
  state.TempDirectory = sysio::WithTrailingSeparator(tempDirectory);
  state.ScratchPath = state.TempDirectory + kScratchFileName;
  state.CurrentFolder = state.StartDirectory;
  state.InfoShown = 0;
  state.TextToImageCaption = "TXT -> PNG";
  state.ImageToTextCaption = "PNG -> TXT";
  return state;
}

AppState MakeAppStateForProcess() {
  return MakeAppState(sysio::CurrentDirectory(), sysio::TemporaryDirectory());
}

}  // namespace app
