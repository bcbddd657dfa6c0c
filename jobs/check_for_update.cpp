// The update button's job, step by step on the user-interface thread.
#include "jobs/check_for_update.h"

#include "platform/platform.h"
#include "ui/status_line.h"
#include "update/http_client.h"
#include "update/version_text.h"

namespace jobs {
namespace {

constexpr const char* kVersionPrefix = "Version ";

void DownloadArchive(ui::Session& session, const update::Limits& limits) {
  const app::MessageCatalogue& texts = session.catalogue;
  ui::SetStatusText(session, texts.MsgDownloading);
  std::string destination = session.state.StartDirectory + kUpdateArchiveName;
  bool ok = update::DownloadToFile(session.state.UpdateArchiveUrl, destination, limits) == update::HttpError::None;
  ui::CloseProgressWindow(session);
  if (ok) {
    session.platform.ShowMessageBox(texts.MsgUpdateCaption,
                                texts.MsgUpdateSaved + session.state.StartDirectory,
                                platform::kMbOk);
    ui::SetStatusText(session, "");
  } else {
    ui::SetStatusText(session, "");
    session.platform.ShowMessageBox(texts.MsgError, texts.MsgUpdateMissing, platform::kMbOk);
  }
}

}  // namespace

std::string FetchRemoteVersion(const std::string& url, const update::Limits& limits) {
  update::FetchResult fetched = update::FetchUrlText(url, limits);
  if (fetched.error != update::HttpError::None) return {};
  return update::TextBetween(fetched.body, update::kStartVersionMarker, update::kEndVersionMarker);
}

void CheckForUpdate(ui::Session& session) { CheckForUpdate(session, update::Limits{}); }

void CheckForUpdate(ui::Session& session, const update::Limits& limits) {
  // The job was designed to start a socket layer first and to end silently
  // when that fails; POSIX sockets need no start-up, so there is no such step.
  const app::MessageCatalogue& texts = session.catalogue;
  ui::OpenProgressWindow(session);
  std::string remoteVersion = FetchRemoteVersion(session.state.UpdateInfoUrl, limits);
  if (remoteVersion.empty() || remoteVersion == session.state.VersionString) {
    ui::CloseProgressWindow(session);
    // Only a version read and equal is "up to date"; no version is a network failure.
    ui::BlinkStatus(session, remoteVersion.empty() ? texts.MsgNoNetwork : texts.MsgUpToDate);
    return;
  }
  std::string question = kVersionPrefix + remoteVersion + texts.MsgUpdateOnline + texts.MsgWhatsNew;
  int answer = session.platform.ShowMessageBox(texts.MsgUpdateCaption, question, platform::kMbYesNo);
  if (answer != platform::kAnswerYes) {
    ui::CloseProgressWindow(session);
    return;
  }
  DownloadArchive(session, limits);
}

}  // namespace jobs
