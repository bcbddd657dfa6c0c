// The file requesters and the error box that the conversion jobs and the result window share.
#pragma once

#include <string>

#include "app/settings_file.h"
#include "platform/platform.h"
#include "ui/session.h"

namespace ui {

// Reads the last folder of `folderKind` into CurrentFolder and shows the
// requester there with its first pattern selected. Returns the chosen path,
// or the empty text when the user cancelled.
std::string AskForFile(Session& session, platform::RequesterKind kind, app::FolderKind folderKind,
                       const std::string& title, const std::string& pattern);

// The box that reports a failed file step: MsgError as its title and text.
void ShowErrorBox(Session& session);

}  // namespace ui
