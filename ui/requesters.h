// The file requesters and the error boxes that the conversion jobs and the result window share.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "app/settings_file.h"
#include "platform/platform.h"
#include "sysio/io_status.h"
#include "ui/session.h"

namespace ui {

// Reads the last folder of `folderKind` into CurrentFolder and shows the
// requester there with its first pattern selected. Returns the chosen path,
// or the empty text when the user cancelled.
std::string AskForFile(Session& session, platform::RequesterKind kind, app::FolderKind folderKind,
                       const std::string& title, const std::string& pattern);

// The box that reports a failed step that has no file: MsgError as its
// title and text.
void ShowErrorBox(Session& session);

// What a failed file step leaves to report: the file, and the system's error
// number (0 when the step set none).
struct FileFailure {
  std::string path;
  int errorNumber = 0;
};

// Runs a file step: nothing when it succeeded, otherwise the failure with
// the cause the step reported.
std::optional<FileFailure> RunFileStep(const std::string& path, const std::function<sysio::IoStatus()>& step);

// The error box of a failed file step: MsgError as its title; as its text
// MsgError, then a line with the path and the system's reason.
void ShowErrorBox(Session& session, const FileFailure& failure);

// That second line: "path: reason", or the path alone without an error number.
std::string DescribeFailure(const FileFailure& failure);

}  // namespace ui
