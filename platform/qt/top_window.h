// A top-level window of the Qt backend: fixed client size, style flags, placement, owner, close requests and drops.
#pragma once

#include "platform/platform.h"

#include <QMargins>
#include <QWidget>

#include <functional>
#include <string>

class QMimeData;
class QWindow;

namespace platform::qt {

// The window flags for the style bits: only the boxes asked for. A popup has
// no frame, takes no focus and no input, and is not kept above other
// programs' windows or the program's message boxes.
Qt::WindowFlags FlagsForStyle(unsigned style);

// What a window hands back to the backend.
struct TopWindowHooks {
  std::function<void(int window)> onCloseRequest;
  std::function<void(int window, const std::string& path)> onFileDrop;
  // Called once, when the window manager has framed the window.
  std::function<void(const QMargins& frame)> onFrameKnown;
};

// A program window whose widget area is the client area. A close request
// (close box, system menu, Alt+F4) never closes it: it is handed to the
// hooks, and the program decides; so is a dropped file.
class TopWindow final : public QWidget {
 public:
  TopWindow(const WindowSpec& spec, TopWindowHooks hooks);

  int number() const { return m_spec.number; }

  // Keeps the window above `owner` (transient for it); call before showing.
  void SetOwner(QWindow* owner);

  // Shows the window where PlaceWindow puts it, with `frameGuess` as its
  // frame until the real one is known; it is placed again then.
  void ShowPlaced(const FrameExtents& frameGuess);

  // Lets local files dropped on the window reach the onFileDrop hook.
  void AcceptFileDrops();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void Place(const FrameExtents& frame);

  WindowSpec m_spec;
  TopWindowHooks m_hooks;
  // The frame is known only once the window manager has framed the window.
  bool m_frameKnown = false;
};

// The local file of a drop: the first URL when it is a local file, as
// native bytes; empty otherwise.
std::string DroppedFile(const QMimeData* data);

}  // namespace platform::qt
