// A top-level window of the Qt backend: fixed client size, style flags, placement, close requests.
#pragma once

#include "platform/platform.h"

#include <QWidget>

#include <functional>

namespace platform::qt {

// The window flags for the style bits: only the boxes asked for; a popup
// has no frame, takes no focus and no input.
Qt::WindowFlags FlagsForStyle(unsigned style);

// A program window whose widget area is the client area. A close request
// (close box, system menu, Alt+F4) never closes it: it is handed to
// onCloseRequest, and the program decides.
class TopWindow final : public QWidget {
 public:
  TopWindow(const WindowSpec& spec, std::function<void(int)> onCloseRequest);

  int number() const { return m_spec.number; }

  // Shows the window at its place: centred on the primary screen (outer
  // size = client + frame, clipped to the screen) or at the outer position.
  void ShowPlaced();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;

 private:
  // Moves the window to its place; false while its frame is still unknown.
  bool Place();

  WindowSpec m_spec;
  std::function<void(int)> m_onCloseRequest;
  // The frame is known only once the window manager has framed the window;
  // a centred window is placed again when it first becomes known.
  bool m_frameKnown = false;
};

}  // namespace platform::qt
