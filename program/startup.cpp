// The program's start-up sequence, from the global state to the main loop.
#include "program/startup.h"

#include "app/app_state.h"
#include "app/language_check.h"
#include "app/message_catalogue.h"
#include "jobs/check_for_update.h"
#include "jobs/image_to_text.h"
#include "jobs/text_to_image.h"
#include "ui/language_window.h"
#include "ui/main_window.h"
#include "ui/session.h"

#include <string>

namespace program {
namespace {

void LoadFonts(platform::Platform& platform, const app::AppState& state) {
  // A font that cannot be loaded is not reported; the gadgets keep the platform's font.
  platform.LoadFont(app::kMainFontNumber, state.MainFont);
  platform.LoadFont(app::kSmallFontNumber, state.SmallFont);
}

ui::MainJobs MakeMainJobs(ui::Session& session) {
  ui::MainJobs jobs;
  jobs.textFileToImage = [&session] { jobs::TextFileToImage(session); };
  jobs.clipboardToImage = [&session] { jobs::ClipboardToImage(session); };
  jobs.imageToText = [&session] { jobs::ImageToText(session); };
  jobs.checkForUpdate = [&session] { jobs::CheckForUpdate(session); };
  jobs.textFileDropped = [&session](const std::string& path) { jobs::TextFileToImage(session, path); };
  jobs.imageFileDropped = [&session](const std::string& path) { jobs::ImageToText(session, path); };
  return jobs;
}

}  // namespace

int RunProgram(platform::Platform& platform, const StartupHooks& hooks) {
  ui::Session session(platform);
  session.state = app::MakeAppStateForProcess();
  LoadFonts(platform, session.state);
  if (hooks.sessionReady) hooks.sessionReady(session);
  app::LanguageCheck(session.state, platform, [&session] { return ui::ShowLanguageWindow(session); });
  session.catalogue =
      app::FillCatalogue(session.state.ChosenLanguage, session.state.VersionString, session.state.ContactsText);
  platform.SetPlatformLanguage(app::LanguageCode(session.state.ChosenLanguage));
  session.pixels.clear();
  // The loop needs window 0 to receive any event; without it there is nothing to wait for.
  if (!ui::OpenMainWindow(session)) app::EndProgram(platform);
  ui::MainLoop(session, hooks.makeJobs ? hooks.makeJobs(session) : MakeMainJobs(session));
}

}  // namespace program
