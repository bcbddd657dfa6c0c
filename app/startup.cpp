// The program's start-up sequence, from the global state to the main loop.
#include "app/startup.h"

#include "app/core/app_state.h"
#include "app/core/language_check.h"
#include "app/core/message_catalogue.h"
#include "app/language_window.h"
#include "codec/jobs/image_to_text.h"
#include "codec/jobs/text_to_image.h"
#include "ui/main_window.h"
#include "ui/session.h"
#include "update/check_for_update.h"

namespace app {
namespace {

void LoadFonts(platform::Platform& platform, const AppState& state) {
  // A font that cannot be loaded is not reported; the gadgets keep the platform's font.
  platform.LoadFont(kMainFontNumber, state.MainFont);
  platform.LoadFont(kSmallFontNumber, state.SmallFont);
}

ui::MainJobs MakeMainJobs(ui::Session& session) {
  ui::MainJobs jobs;
  jobs.textFileToImage = [&session] { codec::TextFileToImage(session); };
  jobs.clipboardToImage = [&session] { codec::ClipboardToImage(session); };
  jobs.imageToText = [&session] { codec::ImageToText(session); };
  jobs.checkForUpdate = [&session] { update::CheckForUpdate(session); };
  return jobs;
}

}  // namespace

int RunProgram(platform::Platform& platform) {
  ui::Session session(platform);
  session.state = MakeAppStateForProcess();
  LoadFonts(platform, session.state);
  LanguageCheck(session.state, platform, [&session] { return ShowLanguageWindow(session); });
  session.catalogue =
      FillCatalogue(session.state.ChosenLanguage, session.state.VersionString, session.state.ContactsText);
  session.pixels.clear();
  // The loop needs window 0 to receive any event; without it there is nothing to wait for.
  if (!ui::OpenMainWindow(session)) EndProgram(platform);
  ui::MainLoop(session, MakeMainJobs(session));
}

}  // namespace app
