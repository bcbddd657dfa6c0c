// TextFileToImage and ClipboardToImage: from a text to a drawn WorkImage to a written PNG.
#include "jobs/text_to_image.h"

#include <functional>
#include <optional>
#include <string>

#include "app/app_state.h"
#include "app/settings_file.h"
#include "codec/encode_stream.h"
#include "codec/png_writer.h"
#include "sysio/files.h"
#include "sysio/scratch_file.h"
#include "sysio/user_file.h"
#include "ui/file_name.h"
#include "ui/requesters.h"
#include "ui/status_line.h"

namespace jobs {
namespace {

constexpr int kSettleDelayMs = 500;  // the pause between drawing and the save requester
constexpr const char* kAlertTitle = "Alert";
constexpr const char* kPngExtension = "png";

// The "Alert" box, then the end of the program.
[[noreturn]] void RefuseTooLarge(ui::Session& session) {
  session.platform.ShowMessageBox(kAlertTitle, session.catalogue.MsgTooManyChars, platform::kMbOk);
  app::EndProgram(session.platform);
}

// Draws the read stream into the WorkImage. False (the job ends) when no
// image could be made; a text too large ends the program.
bool Draw(ui::Session& session, const codec::TextRead& read, const std::function<void()>& beforeEnd) {
  codec::Result<codec::Image> drawn = codec::DrawStreamImage(session.pixels, read.textBytes);
  if (drawn.error == codec::Error::TooLarge) {
    beforeEnd();
    RefuseTooLarge(session);
  }
  if (!drawn.ok()) {
    ui::ShowErrorBox(session);
    return false;
  }
  session.images.PutImage(codec::WorkImage, std::move(drawn.value));
  return true;
}

// Writes the WorkImage as a PNG at `path`; false when it cannot be encoded or written.
bool WritePng(const ui::Session& session, const std::string& path) {
  const codec::Image* image = session.images.Find(codec::WorkImage);
  if (image == nullptr) return false;
  const codec::Result<std::string> png = codec::EncodePng(*image);
  return png.ok() && sysio::ReplaceFileAtomically(path, png.value);
}

// The save requester and the writing, with the last folder of `kind`.
void SavePng(ui::Session& session, app::FolderKind kind) {
  const app::MessageCatalogue& texts = session.catalogue;
  std::string path =
      ui::AskForFile(session, platform::RequesterKind::Save, kind, texts.MsgSavePng, texts.MsgPngPattern);
  if (path.empty()) {
    ui::BlinkStatus(session, texts.MsgCanceled);
    return;
  }
  path = ui::AddMissingExtension(path, kPngExtension);
  ui::OpenProgressWindow(session);
  const bool written = WritePng(session, path);
  if (!written) {
    // A PNG that was not written is not reported as done, and its folder is not remembered.
    ui::CloseProgressWindow(session);
    ui::ShowErrorBox(session);
    return;
  }
  ui::BlinkStatus(session, texts.MsgCompleted);
  ui::CloseProgressWindow(session);
  app::StoreLastFolder(session.state, path, kind);
}

}  // namespace

void TextFileToImage(ui::Session& session) {
  const app::MessageCatalogue& texts = session.catalogue;
  const std::string path = ui::AskForFile(session, platform::RequesterKind::Open, app::kTextFolder,
                                          texts.MsgLoadText, texts.MsgTextPattern);
  // Opened for reading only, so a write-protected text converts as well; a
  // typed name of a missing file is created empty and encodes the empty text.
  if (!sysio::OpenOrCreateForReading(path)) {
    ui::BlinkStatus(session, texts.MsgCanceled);
    return;
  }
  const codec::TextRead read = codec::ReadStreamSource(path, session.pixels);
  if (read.error == codec::Error::CannotOpen || read.error == codec::Error::CannotRead) {
    ui::BlinkStatus(session, texts.MsgCanceled);
    return;
  }
  app::StoreLastFolder(session.state, path, app::kTextFolder);
  if (read.error == codec::Error::TooLarge) RefuseTooLarge(session);
  if (!Draw(session, read, [] {})) return;
  session.platform.Delay(kSettleDelayMs);
  ui::SetStatusText(session, texts.MsgPleaseWait);
  SavePng(session, app::kPngFolder);
}

void ClipboardToImage(ui::Session& session) {
  const app::MessageCatalogue& texts = session.catalogue;
  std::string text = session.platform.GetClipboardText().value_or(std::string());
  text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
  if (text.empty()) {
    session.platform.ShowMessageBox(texts.MsgError, texts.MsgClipboardEmpty, platform::kMbOk);
    return;
  }
  std::optional<sysio::ScratchTextFile> scratch = sysio::ScratchTextFile::Create(session.state.ScratchPath);
  if (!scratch) return;
  std::optional<std::string> stored;
  if (scratch->Write(text)) stored = scratch->ReadBack();
  if (!stored) {
    scratch->Delete();
    return;
  }
  const codec::TextRead read = codec::ReadStreamBytes(*stored, session.pixels);
  // The clipboard text is never left behind in the shared folder.
  const auto deleteScratch = [&scratch] { scratch->Delete(); };
  if (read.error == codec::Error::TooLarge) {
    deleteScratch();
    RefuseTooLarge(session);
  }
  if (read.error != codec::Error::None) {
    deleteScratch();
    return;
  }
  const bool drawn = Draw(session, read, deleteScratch);
  deleteScratch();
  if (!drawn) return;
  session.platform.Delay(kSettleDelayMs);
  ui::BlinkStatus(session, texts.MsgPleaseWait);
  SavePng(session, app::kTextFolder);
}

}  // namespace jobs
