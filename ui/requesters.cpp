// The file requesters and the error boxes that the conversion jobs and the result window share.
#include "ui/requesters.h"

#include <cerrno>
#include <cstring>

#include "app/settings_file.h"

namespace ui {

std::string AskForFile(Session& session, platform::RequesterKind kind, app::FolderKind folderKind,
                       const std::string& title, const std::string& pattern) {
  app::ReadLastFolder(session.state, folderKind);
  platform::RequesterSpec spec;
  spec.kind = kind;
  spec.title = title;
  spec.startPath = session.state.CurrentFolder;
  spec.pattern = pattern;
  return session.platform.FileRequester(spec);
}

void ShowErrorBox(Session& session) {
  session.platform.ShowMessageBox(session.catalogue.MsgError, session.catalogue.MsgError, platform::kMbOk);
}

std::optional<FileFailure> RunFileStep(const std::string& path, const std::function<sysio::IoStatus()>& step) {
  const sysio::IoStatus status = step();
  if (status.ok()) return std::nullopt;
  return FileFailure{path, status.code()};
}

std::string DescribeFailure(const FileFailure& failure) {
  if (failure.errorNumber == 0) return failure.path;
  return failure.path + ": " + std::strerror(failure.errorNumber);
}

void ShowErrorBox(Session& session, const FileFailure& failure) {
  const std::string& error = session.catalogue.MsgError;
  session.platform.ShowMessageBox(error, error + "\n" + DescribeFailure(failure), platform::kMbOk);
}

}  // namespace ui
