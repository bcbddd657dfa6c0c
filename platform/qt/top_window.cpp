// Window flags, placement, owner, close requests and file drops of the program's top-level windows.
#include "platform/qt/top_window.h"

#include "platform/window_placement.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>
#include <QUrl>
#include <QWindow>

#include <utility>

namespace platform::qt {
namespace {

ScreenRect ToScreenRect(const QRect& rect) { return {rect.x(), rect.y(), rect.width(), rect.height()}; }

FrameExtents ToFrameExtents(const QMargins& margins) {
  return {margins.left(), margins.top(), margins.right(), margins.bottom()};
}

}  // namespace

Qt::WindowFlags FlagsForStyle(unsigned style) {
  if (style & kPopup) {
    // Kept above its owner as a transient window, not by staying on top,
    // which would put it over the message boxes too.
    return Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
           Qt::WindowTransparentForInput;
  }
  Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint;
  if (style & kTitleBar) flags |= Qt::WindowTitleHint;
  if (style & kSystemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (style & kMinimizeBox) flags |= Qt::WindowMinimizeButtonHint;
  if (style & kMaximizeBox) flags |= Qt::WindowMaximizeButtonHint;
  return flags;
}

TopWindow::TopWindow(const WindowSpec& spec, TopWindowHooks hooks)
    : QWidget(nullptr, FlagsForStyle(spec.style)), m_spec(spec), m_hooks(std::move(hooks)) {
  setWindowTitle(QString::fromUtf8(spec.title));
  if (spec.style & kSizable) {
    resize(spec.clientWidth, spec.clientHeight);
  } else {
    setFixedSize(spec.clientWidth, spec.clientHeight);
  }
  if (spec.style & kPopup) setAttribute(Qt::WA_ShowWithoutActivating);
}

void TopWindow::SetOwner(QWindow* owner) {
  if (owner == nullptr) return;
  create();  // the native window, whose transient parent is set here
  windowHandle()->setTransientParent(owner);
}

void TopWindow::ShowPlaced(const FrameExtents& frameGuess) {
  Place(frameGuess);
  show();
}

void TopWindow::Place(const FrameExtents& frame) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) {
    if (!m_spec.centred) move(m_spec.x, m_spec.y);
    return;
  }
  const ScreenRect outer =
      PlaceWindow(m_spec, ToScreenRect(screen->geometry()), ToScreenRect(screen->availableGeometry()), frame);
  move(outer.x, outer.y);  // a top-level's position is that of its frame
}

void TopWindow::AcceptFileDrops() { setAcceptDrops(true); }

void TopWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (m_hooks.onCloseRequest) m_hooks.onCloseRequest(m_spec.number);
}

void TopWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (m_frameKnown || windowHandle() == nullptr) return;
  const QMargins frame = windowHandle()->frameMargins();
  if (frame.isNull()) return;
  m_frameKnown = true;
  if (m_hooks.onFrameKnown) m_hooks.onFrameKnown(frame);
  Place(ToFrameExtents(frame));
}

void TopWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedFile(event->mimeData()).empty()) event->acceptProposedAction();
}

void TopWindow::dropEvent(QDropEvent* event) {
  const std::string path = DroppedFile(event->mimeData());
  if (path.empty()) return;
  event->acceptProposedAction();
  if (m_hooks.onFileDrop) m_hooks.onFileDrop(m_spec.number, path);
}

std::string DroppedFile(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls() || data->urls().isEmpty()) return {};
  const QUrl first = data->urls().first();
  if (!first.isLocalFile()) return {};
  return QFile::encodeName(first.toLocalFile()).toStdString();
}

}  // namespace platform::qt
