// A session on the fake backend with the state and texts the windows read, for window tests.
#pragma once

#include <gtest/gtest.h>

#include "tests/support/fake_platform.h"
#include "ui/session.h"

namespace fake {

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
