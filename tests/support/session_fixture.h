// Sessions on the fake backend: one with the state and texts the windows read, for window
// tests, and one whose main window holds only the status line, for the jobs.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/app_state.h"
#include "app/message_catalogue.h"
#include "tests/support/fake_platform.h"
#include "ui/session.h"
#include "ui/status_line.h"

namespace fake {

// Gives `session` the state of a start in `folder` (start and temporary
// directory both) with the English texts, and opens window 0 holding only
// the status line (gadget 7), where a job shows how it is going.
inline void OpenStatusLineOnly(ui::Session& session, const std::string& folder) {
  session.state = app::MakeAppState(folder, folder);
  session.catalogue =
      app::FillCatalogue(app::kEnglish, session.state.VersionString, session.state.ContactsText);
  platform::WindowSpec window;
  window.number = ui::kMainWindow;
  session.platform.OpenWindow(window);
  platform::GadgetSpec statusLine;
  statusLine.window = ui::kMainWindow;
  statusLine.number = ui::kStatusLine;
  statusLine.kind = platform::GadgetKind::StatusField;
  session.platform.CreateGadget(statusLine);
}

// Each text is distinct, so a test sees which one reached a gadget.
class SessionFixture : public ::testing::Test {
 protected:
  SessionFixture() {
    session.state.VersionString = "2.0 beta6";
    session.state.TextToImageCaption = "TXT -> PNG";
    session.state.ImageToTextCaption = "PNG -> TXT";
    app::MessageCatalogue& msg = session.catalogue;
    msg.MsgFooter = "footer";
    msg.MsgTagline = "tagline";
    msg.MsgClipboardButton = "CLIPBOARD TXT -> PNG";
    msg.MsgUpdateCaption = "@";
    msg.MsgUpdateTip = "Update";
    msg.MsgConvert = "Convert !";
    msg.MsgCredits = "line 1\r\nline 2\r\nline 3\r\n";
    msg.MsgPleaseWait = "Please Wait";
    msg.MsgCompleted = "Operation completed";
    msg.MsgCanceled = "Canceled";
  }

  FakePlatform platform;
  ui::Session session{platform};
};

}  // namespace fake
