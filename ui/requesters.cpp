// The file requesters and the error box that the conversion jobs and the result window share.
#include "ui/requesters.h"

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

}  // namespace ui
