// The result window: its gadgets, its nested loop, copying and saving DecodedText.
#include "ui/result_window.h"

#include <algorithm>
#include <optional>

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
constexpr int kMargin = 5;             // around and between the gadgets
constexpr int kEditorHeight = 550;
constexpr int kButtonHeight = 45;
// The least the editor keeps on a small screen, and the least width of the
// window; below them the window is larger than the screen.
constexpr int kMinEditorHeight = 100;
constexpr int kMinClientWidth = 320;
constexpr unsigned kResultStyle = platform::kTitleBar | platform::kSystemMenu;
constexpr unsigned kSavedBoxType = 0x50;
constexpr const char* kResultTitle = "Result";
constexpr const char* kCopiedTitle = "OK";
constexpr const char* kSavedTitle = "Info";
constexpr const char* kTextExtension = "txt";

// The window's size and its gadgets' places: the designed ones where the
// window fits the available screen with its frame; otherwise the editor
// gives up the height (and the gadgets the width) the screen lacks, so that
// the buttons and the title bar stay on it.
struct ResultLayout {
  int clientWidth = kClientWidth;
  int clientHeight = kClientHeight;
  int editorHeight = kEditorHeight;
};

ResultLayout FitResultLayout(const platform::Platform& platform) {
  const platform::ScreenRect area = platform.AvailableScreenArea();
  const platform::FrameExtents frame = platform.WindowFrame(kResultStyle);
  ResultLayout layout;
  if (area.width <= 0 || area.height <= 0) return layout;
  const int lackedHeight = kClientHeight - (area.height - frame.top - frame.bottom);
  if (lackedHeight > 0) {
    layout.editorHeight = std::max(kMinEditorHeight, kEditorHeight - lackedHeight);
    layout.clientHeight = kClientHeight - (kEditorHeight - layout.editorHeight);
  }
  const int freeWidth = area.width - frame.left - frame.right;
  layout.clientWidth = std::clamp(freeWidth, kMinClientWidth, kClientWidth);
  return layout;
}

bool OpenResultWindow(Session& session, const ResultLayout& layout) {
  return session.platform.OpenWindow({.number = kResultWindow,
                                      .title = kResultTitle,
                                      .clientWidth = layout.clientWidth,
                                      .clientHeight = layout.clientHeight,
                                      .style = kResultStyle,
                                      .centred = false,
                                      .x = kWindowX,
                                      .y = kWindowY});
}

bool CreateGadget(Session& session, const ResultLayout& layout, int number, platform::GadgetKind kind,
                  int y, int height, const std::string& text) {
  return session.platform.CreateGadget({.window = kResultWindow,
                                        .number = number,
                                        .kind = kind,
                                        .x = kMargin,
                                        .y = y,
                                        .width = layout.clientWidth - 2 * kMargin,
                                        .height = height,
                                        .text = text,
                                        .flat = kind == platform::GadgetKind::Button});
}

bool CreateResultGadgets(Session& session, const ResultLayout& layout) {
  const app::MessageCatalogue& texts = session.catalogue;
  const int copyY = kMargin + layout.editorHeight + kMargin;
  const int saveY = copyY + kButtonHeight + kMargin;
  return CreateGadget(session, layout, kResultEditor, platform::GadgetKind::Editor, kMargin,
                      layout.editorHeight, {}) &&
         CreateGadget(session, layout, kCopyTextButton, platform::GadgetKind::Button, copyY, kButtonHeight,
                      texts.MsgCopyText) &&
         CreateGadget(session, layout, kSaveTextButton, platform::GadgetKind::Button, saveY, kButtonHeight,
                      texts.MsgSaveText);
}

// DecodedText = the editor's text, as bytes; returns the encoding they are in.
TextEncoding ReadEditorBack(Session& session, const ShownText& shown) {
  EditorBytes back = BytesFromEditor(shown, session.platform.GetGadgetText(kResultEditor));
  session.decodedText = std::move(back.bytes);
  return back.encoding;
}

void CopyDecodedText(Session& session, const ShownText& shown) {
  const TextEncoding encoding = ReadEditorBack(session, shown);
  if (!session.platform.SetClipboardText(ClipboardTextFor(encoding, session.decodedText))) {
    ShowErrorBox(session);
    return;
  }
  session.platform.ShowMessageBox(kCopiedTitle, session.catalogue.MsgTextCopied, platform::kMbOk);
}

void SaveDecodedText(Session& session, const ShownText& shown) {
  const app::MessageCatalogue& texts = session.catalogue;
  const TextEncoding encoding = ReadEditorBack(session, shown);
  std::string path = AskForFile(session, platform::RequesterKind::Save, app::kTextFolder, texts.MsgChooseName,
                                texts.MsgSaveTextPattern);
  if (path.empty()) {
    SetStatusText(session, texts.MsgCanceled);
    return;
  }
  path = AddMissingExtension(path, kTextExtension);
  std::optional<FileFailure> failure;
  session.platform.RunKeepingPainted([&] {
    failure = RunFileStep(path, [&] { return sysio::WriteUserFile(path, session.decodedText); });
  });
  if (failure) {
    SetStatusText(session, texts.MsgError);
    ShowErrorBox(session, *failure);
    return;
  }
  std::string saved = texts.MsgFileSavedPrefix + path + texts.MsgFileSavedSuffix;
  if (encoding != shown.encoding) saved += texts.MsgSavedAsUtf8;
  session.platform.ShowMessageBox(kSavedTitle, saved, kSavedBoxType);
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
  const ResultLayout layout = FitResultLayout(session.platform);
  // A window that cannot be built is reported and ends the job, rather than
  // leaving a loop that shows nothing and that only a close request ends.
  if (!OpenResultWindow(session, layout)) {
    CloseProgressWindow(session);
    ShowErrorBox(session);
    return;
  }
  CloseProgressWindow(session);
  if (!CreateResultGadgets(session, layout)) {
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
