// The modal dialogs of the Qt backend: file requesters and message boxes.
#pragma once

#include "platform/platform.h"

#include <QMessageBox>
#include <QStringList>

#include <string>

namespace platform::qt {

// "Label|*.a;*.b|Label 2|*.c" as Qt name filters: "Label (*.a *.b)",
// "Label 2 (*.c)". A label's own trailing "(...)" is replaced by the real
// patterns; a label without patterns gets "*".
QStringList NameFiltersFromPattern(const std::string& pattern);

// What a message box type value shows: the low nibble picks the buttons
// (4 Yes/No, anything else OK), the next four bits the icon.
struct MessageBoxLook {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  bool yesNo = false;
};
MessageBoxLook LookForType(unsigned type);

// Runs a non-native, application-modal file dialog; the chosen absolute
// path in native bytes, or "" when cancelled. An Open requester accepts a
// file that does not exist, in a folder that does; a missing folder is
// reported in Qt's own (translated) words. The dialog is made no larger
// than the available screen less `frame`, so that all of it can be reached.
std::string RunFileRequester(const RequesterSpec& spec, const FrameExtents& frame);

// Runs an application-modal message box with plain texts, wide enough for
// its title in the title bar; returns a MessageBoxAnswer (No when a Yes/No
// box is closed without an answer).
int RunMessageBox(const std::string& title, const std::string& text, unsigned type);

}  // namespace platform::qt
