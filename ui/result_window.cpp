// The result window: its gadgets, its nested loop, copying and saving DecodedText.
#include "ui/result_window.h"

#include "app/settings_file.h"
#include "sysio/user_file.h"
#include "ui/file_name.h"
#include "ui/requesters.h"
#include "ui/status_line.h"
#include "ui/text_bytes.h"

namespace ui {
namespace {

constexpr int kWindowX = 330;
constexpr int kWindowY = 155;
constexpr int kClientWidth = 640;
constexpr int kClientHeight = 660;
constexpr unsigned kSavedBoxType = 0x50;
constexpr const char* kResultTitle = "Result";
constexpr const char* kCopiedTitle = "OK";
constexpr const char* kSavedTitle = "Info";
constexpr const char* kTextExtension = "txt";

bool OpenResultWindow(Session& session) {
  return session.platform.OpenWindow({.number = kResultWindow,
                                      .title = kResultTitle,
                                      .clientWidth = kClientWidth,
                                      .clientHeight = kClientHeight,
                                      .style = platform::kTitleBar | platform::kSystemMenu,
                                      .centred = false,
                                      .x = kWindowX,
                                      .y = kWindowY});
}

bool CreateGadget(Session& session, int number, platform::GadgetKind kind, int y, int height,
                  const std::string& text) {
  return session.platform.CreateGadget({.window = kResultWindow,
                                        .number = number,
                                        .kind = kind,
                                        .x = 5,
                                        .y = y,
                                        .width = 630,
                                        .height = height,
                                        .text = text,
                                        .flat = kind == platform::GadgetKind::Button});
}

bool CreateResultGadgets(Session& session) {
  const app::MessageCatalogue& texts = session.catalogue;
  return CreateGadget(session, kResultEditor, platform::GadgetKind::Editor, 5, 550, {}) &&
         CreateGadget(session, kCopyTextButton, platform::GadgetKind::Button, 560, 45, texts.MsgCopyText) &&
         CreateGadget(session, kSaveTextButton, platform::GadgetKind::Button, 610, 45, texts.MsgSaveText);
}

// DecodedText = the editor's text, as bytes.
void ReadEditorBack(Session& session, const ShownText& shown) {
  session.decodedText = BytesFromEditor(shown, session.platform.GetGadgetText(kResultEditor));
}

void CopyDecodedText(Session& session, const ShownText& shown) {
  ReadEditorBack(session, shown);
  if (!session.platform.SetClipboardText(ClipboardTextFor(shown, session.decodedText))) {
    ShowErrorBox(session);
    return;
  }
  session.platform.ShowMessageBox(kCopiedTitle, session.catalogue.MsgTextCopied, platform::kMbOk);
}

void SaveDecodedText(Session& session, const ShownText& shown) {
  ReadEditorBack(session, shown);
  std::string path = AskForFile(session, platform::RequesterKind::Save, app::kTextFolder,
                                session.catalogue.MsgChooseName, session.catalogue.MsgSaveTextPattern);
  if (path.empty()) {
    SetStatusText(session, session.catalogue.MsgCanceled);
    return;
  }
  path = AddMissingExtension(path, kTextExtension);
  if (!sysio::WriteUserFile(path, session.decodedText)) {
    ShowErrorBox(session);
    return;
  }
  const app::MessageCatalogue& texts = session.catalogue;
  session.platform.ShowMessageBox(kSavedTitle, texts.MsgFileSavedPrefix + path + texts.MsgFileSavedSuffix,
                              kSavedBoxType);
}

void RunLoop(Session& session, const ShownText& shown) {
  for (;;) {
    const platform::Event event = session.platform.WaitEvent();
    if (event.kind == platform::EventKind::CloseRequest) return;
    if (event.kind != platform::EventKind::Gadget || event.window != kResultWindow) continue;
    if (event.gadget == kCopyTextButton) CopyDecodedText(session, shown);
    if (event.gadget == kSaveTextButton) SaveDecodedText(session, shown);
  }
}

}  // namespace

void RunResultWindow(Session& session) {
  // A window that cannot be built is reported and ends the job, rather than
  // leaving a loop that shows nothing and that only a close request ends.
  if (!OpenResultWindow(session)) {
    CloseProgressWindow(session);
    ShowErrorBox(session);
    return;
  }
  CloseProgressWindow(session);
  if (!CreateResultGadgets(session)) {
    session.platform.CloseWindow(kResultWindow);
    ShowErrorBox(session);
    return;
  }
  const ShownText shown = ShowBytes(session.decodedText);
  session.platform.SetGadgetText(kResultEditor, shown.shown);
  RunLoop(session, shown);
  session.platform.CloseWindow(kResultWindow);
  session.platform.ShowWindowAgain(kMainWindow);
  BlinkStatus(session, session.catalogue.MsgCompleted);
}

}  // namespace ui
