// The update button's job: ask the maker's server for its version and offer to download it.
#pragma once

#include <string>

#include "ui/session.h"
#include "update/http_limits.h"

namespace jobs {

inline constexpr const char* kUpdateArchiveName = "letterloom_update.zip";

// The version named by the version file at url: its text between the
// markers. Empty when no version could be read: no answer, a status other
// than 200, an empty, over-long or marker-less file.
std::string FetchRemoteVersion(const std::string& url, const update::Limits& limits = {});

// The job: shows the progress window while it asks session.state's
// UpdateInfoUrl for the version; blinks MsgUpToDate when it equals
// VersionString, MsgNoNetwork when none could be read; otherwise asks
// whether to download UpdateArchiveUrl into StartDirectory and reports the
// outcome in a message box. The archive replaces kUpdateArchiveName only
// when it arrived whole and is a whole zip archive.
void CheckForUpdate(ui::Session& session);

// The same with other time limits (tests make them short).
void CheckForUpdate(ui::Session& session, const update::Limits& limits);

}  // namespace jobs
