// The main window (window 0), its gadgets and its event loop.
#include "ui/main_window.h"

#include <vector>

#include "app/app_state.h"
#include "resources/embedded.h"
#include "ui/embedded_picture.h"
#include "ui/file_name.h"
#include "ui/palette.h"
#include "ui/status_line.h"

namespace ui {
namespace {

constexpr int kClientWidth = 640;
constexpr int kClientHeight = 359;
constexpr const char* kTitlePrefix = "LETTERLOOM by ORVANTO v";
constexpr const char* kInfoCaption = "?";
constexpr const char* kPngExtension = "png";

platform::GadgetSpec Gadget(int number, platform::GadgetKind kind, int x, int y, int width,
                            int height, std::string text) {
  return {.window = kMainWindow, .number = number, .kind = kind, .x = x, .y = y,
          .width = width, .height = height, .text = std::move(text)};
}

platform::GadgetSpec FlatButton(int number, int x, int y, int width, int height, std::string text) {
  platform::GadgetSpec spec =
      Gadget(number, platform::GadgetKind::Button, x, y, width, height, std::move(text));
  spec.flat = true;
  return spec;
}

// The gadgets in creation order; the order is also the focus order.
std::vector<platform::GadgetSpec> MainGadgets(const Session& session) {
  using platform::GadgetKind;
  const app::MessageCatalogue& msg = session.catalogue;
  platform::GadgetSpec banner = Gadget(kBannerImage, GadgetKind::Image, 0, 0, 644, 172, "");
  banner.image = kBannerPictureImage;
  platform::GadgetSpec footer = Gadget(kFooterText, GadgetKind::Text, 5, 335, 630, 20, msg.MsgFooter);
  footer.centred = true;
  return {
      banner,
      footer,
      Gadget(kTaglineFrame, GadgetKind::Frame, 5, 175, 630, 181, msg.MsgTagline),
      FlatButton(kTextFileButton, 20, 195, 300, 45, session.state.TextToImageCaption),
      FlatButton(kClipboardButton, 325, 195, 300, 45, msg.MsgClipboardButton),
      FlatButton(kImageFileButton, 20, 250, 605, 45, session.state.ImageToTextCaption),
      FlatButton(kUpdateButton, 600, 305, 25, 25, msg.MsgUpdateCaption),
      FlatButton(kInfoButton, 20, 305, 25, 25, kInfoCaption),
      Gadget(kStatusLine, GadgetKind::StatusField, 48, 304, 547, 25, msg.MsgConvert),
  };
}

void SetMainFonts(platform::Platform& platform) {
  struct FontUse {
    int gadget;
    int font;
  };
  static constexpr FontUse kFonts[] = {
      {kTextFileButton, app::kMainFontNumber}, {kImageFileButton, app::kMainFontNumber},
      {kClipboardButton, app::kMainFontNumber}, {kInfoButton, app::kSmallFontNumber},
      {kFooterText, app::kMainFontNumber},     {kTaglineFrame, app::kMainFontNumber},
      {kUpdateButton, app::kSmallFontNumber},  {kStatusLine, app::kMainFontNumber},
  };
  for (const FontUse& use : kFonts) platform.SetGadgetFont(use.gadget, use.font);
}

void SetMainColours(platform::Platform& platform) {
  const platform::Colour systemDefault = platform::Colour::SystemDefault();
  platform.SetGadgetColours(kFooterText, systemDefault, platform::Colour::Transparent());
  platform.SetGadgetColours(kTaglineFrame, systemDefault, kPanelGrey);
  for (int button : {kTextFileButton, kImageFileButton, kClipboardButton, kInfoButton, kUpdateButton}) {
    platform.SetGadgetColours(button, systemDefault, kAccentGold);
  }
  platform.SetGadgetColours(kStatusLine, kBlack, kAccentGold);
  platform.SetWindowColour(kMainWindow, kPanelGrey);
}

void RunJob(const std::function<void()>& job) {
  if (job) job();
}

bool IsPngName(const std::string& path) { return AddMissingExtension(path, kPngExtension) == path; }

// Runs the job that takes a dropped file of that kind.
void DispatchDrop(const MainJobs& jobs, const std::string& path) {
  const auto& job = IsPngName(path) ? jobs.imageFileDropped : jobs.textFileDropped;
  if (job && !path.empty()) job(path);
}

// Runs the job of the gadget that sent the event; other gadgets start nothing.
void DispatchGadget(Session& session, const MainJobs& jobs, int gadget) {
  switch (gadget) {
    case kTextFileButton: RunJob(jobs.textFileToImage); break;
    case kClipboardButton: RunJob(jobs.clipboardToImage); break;
    case kImageFileButton: RunJob(jobs.imageToText); break;
    case kUpdateButton: RunJob(jobs.checkForUpdate); break;
    case kInfoButton: ToggleInfoPanel(session); break;
    default: break;
  }
}

}  // namespace

bool OpenMainWindow(Session& session) {
  platform::Platform& platform = session.platform;
  if (!platform.OpenWindow({.number = kMainWindow,
                            .title = kTitlePrefix + session.state.VersionString,
                            .clientWidth = kClientWidth,
                            .clientHeight = kClientHeight,
                            .style = platform::kTitleBar | platform::kSystemMenu |
                                     platform::kMinimizeBox})) {
    return false;
  }

  // A banner that fails to decode leaves an empty image gadget; nothing is reported.
  LoadEmbeddedPicture(session, kBannerPictureImage, resources::BannerPicture());
  for (const platform::GadgetSpec& spec : MainGadgets(session)) platform.CreateGadget(spec);
  SetMainFonts(platform);
  AddBalloonTip(session, kMainWindow, kUpdateButton, session.catalogue.MsgUpdateTip);
  SetMainColours(platform);
  platform.AcceptFileDrops(kMainWindow);
  return true;
}

void MainLoop(Session& session, const MainJobs& jobs) {
  platform::Platform& platform = session.platform;
  for (;;) {
    const platform::Event event = platform.WaitEvent();
    if (event.kind == platform::EventKind::Gadget) {
      DispatchGadget(session, jobs, event.gadget);
    } else if (event.kind == platform::EventKind::FileDrop && event.window == kMainWindow) {
      DispatchDrop(jobs, event.path);
    } else if (event.kind == platform::EventKind::CloseRequest && event.window == kMainWindow) {
      platform.CloseWindow(kMainWindow);
      app::EndProgram(platform);
    }
  }
}

void SetMainButtonsHidden(Session& session, bool hidden) {
  for (int button : {kTextFileButton, kImageFileButton, kClipboardButton, kUpdateButton}) {
    session.platform.SetGadgetHidden(button, hidden);
  }
}

}  // namespace ui
