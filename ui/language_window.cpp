// The first-start chooser of the program's language (window 24).
#include "ui/language_window.h"

#include <optional>
#include <string>

#include "app/message_catalogue.h"
#include "app/settings_file.h"
#include "resources/embedded.h"
#include "ui/embedded_picture.h"
#include "ui/status_line.h"

namespace ui {
namespace {

constexpr const char* kTitle = "Letterloom Language";
constexpr int kClientWidth = 117;
constexpr int kClientHeight = 56;
constexpr int kFlagWidth = 33;
constexpr int kFlagHeight = 25;
constexpr const char* kExitCaption = "Exit";
constexpr const char* kExitTip = "Click here to leave Letterloom 2";

struct Flag {
  int gadget;
  int image;
  int x;
  resources::Blob (*picture)();
  const char* language;  // also the flag's tooltip: the settings group it writes
};
constexpr Flag kFlags[] = {
    {kFrenchButton, kFrenchFlagImage, 5, resources::FrenchFlag, app::kFrench},
    {kEnglishButton, kBritishFlagImage, 43, resources::BritishFlag, app::kEnglish},
    {kGermanButton, kGermanFlagImage, 80, resources::GermanFlag, app::kDeutsch},
};

void CreateFlagButton(ui::Session& session, const Flag& flag) {
  ui::LoadEmbeddedPicture(session, flag.image, flag.picture());
  session.platform.CreateGadget({.window = kLanguageWindow,
                                 .number = flag.gadget,
                                 .kind = platform::GadgetKind::ImageButton,
                                 .x = flag.x,
                                 .width = kFlagWidth,
                                 .height = kFlagHeight,
                                 .text = {},
                                 .image = flag.image});
  session.platform.SetGadgetToolTip(flag.gadget, flag.language);
}

void CreateExitButton(ui::Session& session) {
  session.platform.CreateGadget({.window = kLanguageWindow,
                                 .number = kExitButton,
                                 .kind = platform::GadgetKind::Button,
                                 .y = 30,
                                 .width = 115,
                                 .height = 25,
                                 .text = kExitCaption});
  // The tip's handle is not needed again: the tip goes with its window.
  ui::AddBalloonTip(session, kLanguageWindow, kExitButton, kExitTip);
}

bool OpenLanguageWindow(ui::Session& session) {
  if (!session.platform.OpenWindow({.number = kLanguageWindow,
                                    .title = kTitle,
                                    .clientWidth = kClientWidth,
                                    .clientHeight = kClientHeight,
                                    .style = platform::kTitleBar})) {
    return false;
  }
  for (const Flag& flag : kFlags) CreateFlagButton(session, flag);
  CreateExitButton(session);
  return true;
}

std::optional<const char*> LanguageOfGadget(int gadget) {
  for (const Flag& flag : kFlags) {
    if (flag.gadget == gadget) return flag.language;
  }
  return std::nullopt;
}

}  // namespace

app::LanguageWindowResult ShowLanguageWindow(ui::Session& session) {
  platform::Platform& platform = session.platform;
  // Without its window the chooser could take no answer, and the language
  // check would ask again for ever: leave instead.
  if (!OpenLanguageWindow(session)) app::EndProgram(platform);

  for (;;) {
    const platform::Event event = platform.WaitEvent();
    if (event.kind == platform::EventKind::Gadget) {
      if (event.gadget == kExitButton) app::EndProgram(platform);
      if (std::optional<const char*> language = LanguageOfGadget(event.gadget)) {
        app::LanguageWindowResult result{app::LanguageWindowResult::Kind::Chosen, *language, false};
        result.stored = app::StoreLanguageChoice(session.state, result.language);
        platform.CloseWindow(kLanguageWindow);
        return result;
      }
    } else if (event.kind == platform::EventKind::CloseRequest && event.window == kLanguageWindow) {
      platform.CloseWindow(kLanguageWindow);
      return {};
    }
  }
}

}  // namespace ui
