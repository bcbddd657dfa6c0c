// The main window (window 0), its gadgets and its event loop.
#pragma once

#include <functional>
#include <string>

#include "ui/numbers.h"
#include "ui/session.h"

namespace ui {

// The jobs the five buttons start; the info button's job is ToggleInfoPanel.
// A file dropped on the main window starts the picture job with it when its
// name ends in ".png" (any case), else the text-file job with it.
struct MainJobs {
  std::function<void()> textFileToImage;
  std::function<void()> clipboardToImage;
  std::function<void()> imageToText;
  std::function<void()> checkForUpdate;
  std::function<void(const std::string& path)> textFileDropped;
  std::function<void(const std::string& path)> imageFileDropped;
};

// Builds window 0 with every gadget, font, tooltip and colour, and lets it
// take dropped files. False when the window cannot be opened (nothing else
// is built then).
bool OpenMainWindow(Session& session);

// Runs until window 0 is closed, then ends the program through EndProgram.
[[noreturn]] void MainLoop(Session& session, const MainJobs& jobs);

// The info button's job: switches between the buttons and the credits panel.
void ToggleInfoPanel(Session& session);

// Hides (true) or shows the three conversion buttons and the update button.
void SetMainButtonsHidden(Session& session, bool hidden);

}  // namespace ui
