// TextFileToImage and ClipboardToImage: from a text to a drawn WorkImage to a written PNG.
#include "jobs/text_to_image.h"

#include <cerrno>
#include <functional>
#include <optional>
#include <string>

#include "app/app_state.h"
#include "app/settings_file.h"
#include "codec/encode_stream.h"
#include "codec/png_writer.h"
#include "sysio/io_status.h"
#include "sysio/replacement_file.h"
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

// A failure the status line must show in place of "Please Wait", from the
// moment its box appears; blinked, so that it outlasts a "Please Wait" blink
// still running.
void ShowFailedInStatus(ui::Session& session) { ui::BlinkStatus(session, session.catalogue.MsgError); }

// Draws the read stream into the WorkImage. False (the job ends) when no
// image could be made; a text too large ends the program.
bool Draw(ui::Session& session, const codec::TextRead& read, const std::function<void()>& beforeEnd) {
  codec::Result<codec::Image> drawn;
  session.platform.RunKeepingPainted([&] { drawn = codec::DrawStreamImage(session.pixels, read.textBytes); });
  if (drawn.error == codec::Error::TooLarge) {
    beforeEnd();
    RefuseTooLarge(session);
  }
  if (!drawn.ok()) {
    ShowFailedInStatus(session);
    ui::ShowErrorBox(session);
    return false;
  }
  session.images.PutImage(codec::WorkImage, std::move(drawn.value));
  return true;
}

// The job cannot go on without its scratch file: the error box says why.
void ShowScratchError(ui::Session& session, const sysio::IoStatus& status) {
  const app::MessageCatalogue& texts = session.catalogue;
  session.platform.ShowMessageBox(texts.MsgError, texts.MsgError + ": " + status.Text(), platform::kMbOk);
}

// Writes the WorkImage as a PNG at `path`; the cause when it cannot be encoded or written.
sysio::IoStatus WritePng(const ui::Session& session, const std::string& path) {
  const codec::Image* image = session.images.Find(codec::WorkImage);
  if (image == nullptr) return sysio::IoStatus::Failure(0);
  const codec::Result<std::string> png = codec::EncodePng(*image);
  if (!png.ok()) return sysio::IoStatus::Failure(ENOMEM);  // libpng found no memory
  return sysio::ReplaceFileAtomically(path, png.value);
}

// The pause before the save requester, with the windows kept drawn.
void Settle(ui::Session& session) {
  session.platform.RunKeepingPainted([&session] { session.platform.Delay(kSettleDelayMs); });
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
  std::optional<ui::FileFailure> failure;
  session.platform.RunKeepingPainted([&] {
    failure = ui::RunFileStep(path, [&] { return WritePng(session, path); });
  });
  if (failure) {
    // A PNG that was not written is not reported as done, and its folder is not remembered.
    ui::CloseProgressWindow(session);
    ShowFailedInStatus(session);
    ui::ShowErrorBox(session, *failure);
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
  TextFileToImage(session, path);
}

void TextFileToImage(ui::Session& session, const std::string& path) {
  const app::MessageCatalogue& texts = session.catalogue;
  // Opened for reading only, so a write-protected text converts as well; a
  // typed name of a missing file is created empty and encodes the empty text.
  if (!sysio::OpenOrCreateForReading(path)) {
    ui::BlinkStatus(session, texts.MsgCanceled);
    return;
  }
  codec::TextRead read;
  session.platform.RunKeepingPainted([&] { read = codec::ReadStreamSource(path, session.pixels); });
  if (read.error == codec::Error::CannotOpen || read.error == codec::Error::CannotRead) {
    ui::BlinkStatus(session, texts.MsgCanceled);
    return;
  }
  app::StoreLastFolder(session.state, path, app::kTextFolder);
  if (read.error == codec::Error::TooLarge) RefuseTooLarge(session);
  if (!Draw(session, read, [] {})) return;
  Settle(session);
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
  // Always a new file: the fixed name, or a private folder's when that is taken.
  sysio::ScratchTextFile scratch = sysio::ScratchTextFile::Create(session.state.ScratchPath);
  sysio::IoStatus status = scratch.status();
  std::string stored;
  if (status) status = scratch.Write(text);
  if (status) status = scratch.ReadBack(stored);
  if (!status) {
    scratch.Delete();
    ShowScratchError(session, status);
    return;
  }
  codec::TextRead read;
  session.platform.RunKeepingPainted([&] { read = codec::ReadStreamBytes(stored, session.pixels); });
  // The clipboard text is never left behind in the shared folder.
  const auto deleteScratch = [&scratch] { scratch.Delete(); };
  if (read.error == codec::Error::TooLarge) {
    deleteScratch();
    RefuseTooLarge(session);
  }
  if (read.error != codec::Error::None) {
    deleteScratch();
    ui::ShowErrorBox(session);
    return;
  }
  const bool drawn = Draw(session, read, deleteScratch);
  deleteScratch();
  if (!drawn) return;
  Settle(session);
  ui::BlinkStatus(session, texts.MsgPleaseWait);
  SavePng(session, app::kTextFolder);
}

}  // namespace jobs
