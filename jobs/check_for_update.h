// The update button's job: ask the maker's server for its version and offer to download it.
#pragma once

#include <string>

#include "ui/session.h"
#include "update/http_error.h"
#include "update/http_limits.h"

namespace jobs {

inline constexpr const char* kUpdateArchiveName = "letterloom_update.zip";

// What the version query gave.
struct VersionAnswer {
  update::HttpError error = update::HttpError::None;  // of the exchange
  std::string version;  // the text between the markers; empty when there is none
};

// The version named by the version file at url. `version` is empty when no
// version could be read: `error` says why (no answer, a status other than
// 200, an over-long file), or is None for an empty or marker-less file.
VersionAnswer FetchRemoteVersion(const std::string& url, const update::Limits& limits = {});

// The job: shows the progress window while it asks session.state's
// UpdateInfoUrl for the version, with the windows kept painted; blinks
// MsgUpToDate when it equals VersionString, MsgNoNetwork when no server
// answered, MsgNoVersionFile when one answered without a version; otherwise
// asks whether to download UpdateArchiveUrl into StartDirectory, downloads
// it with the windows kept painted and reports the outcome in a message box.
// The archive replaces kUpdateArchiveName only when it arrived whole and is
// a whole zip archive.
void CheckForUpdate(ui::Session& session);

// The same with other time limits (tests make them short).
void CheckForUpdate(ui::Session& session, const update::Limits& limits);

}  // namespace jobs
