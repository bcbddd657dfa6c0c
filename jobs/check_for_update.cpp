// The update button's job, step by step on the user-interface thread.
#include "jobs/check_for_update.h"

#include "platform/platform.h"
#include "sysio/socket_stream.h"
#include "ui/status_line.h"
#include "update/http_client.h"
#include "update/version_text.h"

namespace jobs {
namespace {

constexpr const char* kVersionPrefix = "Version ";

// True when the exchange ended before any server answered it: the address,
// the name, the connection, the request, or no answer in time.
bool NoServerAnswered(update::HttpError error) {
  switch (error) {
    case update::HttpError::BadUrl:
    case update::HttpError::Resolve:
    case update::HttpError::Connect:
    case update::HttpError::Send:
    case update::HttpError::Timeout:
    case update::HttpError::Closed:
      return true;
    default:
      return false;
  }
}

void DownloadArchive(ui::Session& session, const update::Limits& limits) {
  const app::MessageCatalogue& texts = session.catalogue;
  ui::SetStatusText(session, texts.MsgDownloading);
  const std::string destination = session.state.StartDirectory + kUpdateArchiveName;
  bool ok = false;
  session.platform.RunKeepingPainted([&] {
    // Only a whole zip archive may take the place of the one already there.
    ok = update::DownloadToFile(session.state.UpdateArchiveUrl, destination, limits,
                                update::BodyCheck::ZipArchive) == update::HttpError::None;
  });
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

VersionAnswer FetchRemoteVersion(const std::string& url, const update::Limits& limits) {
  update::FetchResult fetched = update::FetchUrlText(url, limits);
  if (fetched.error != update::HttpError::None) return {fetched.error, {}};
  return {update::HttpError::None,
          update::TextBetween(fetched.body, update::kStartVersionMarker, update::kEndVersionMarker)};
}

void CheckForUpdate(ui::Session& session) { CheckForUpdate(session, update::Limits{}); }

void CheckForUpdate(ui::Session& session, const update::Limits& limits) {
  // The socket layer first (Winsock on Windows; nothing on POSIX): the job
  // ends silently when it cannot be started.
  if (!sysio::StartNetwork()) return;
  const app::MessageCatalogue& texts = session.catalogue;
  ui::OpenProgressWindow(session);
  VersionAnswer answer;
  session.platform.RunKeepingPainted(
      [&] { answer = FetchRemoteVersion(session.state.UpdateInfoUrl, limits); });
  const std::string& remoteVersion = answer.version;
  if (remoteVersion.empty() || remoteVersion == session.state.VersionString) {
    ui::CloseProgressWindow(session);
    // Only a version read and equal is "up to date"; without a version the
    // user learns whether a server answered at all.
    const std::string& outcome = !remoteVersion.empty()            ? texts.MsgUpToDate
                                 : NoServerAnswered(answer.error) ? texts.MsgNoNetwork
                                                                  : texts.MsgNoVersionFile;
    ui::BlinkStatus(session, outcome);
    return;
  }
  std::string question = kVersionPrefix + remoteVersion + texts.MsgUpdateOnline + texts.MsgWhatsNew;
  int reply = session.platform.ShowMessageBox(texts.MsgUpdateCaption, question, platform::kMbYesNo);
  if (reply != platform::kAnswerYes) {
    ui::CloseProgressWindow(session);
    return;
  }
  DownloadArchive(session, limits);
}

}  // namespace jobs
