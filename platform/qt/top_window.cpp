// Window flags, placement and close-request handling of the program's top-level windows.
#include "platform/qt/top_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <utility>

namespace platform::qt {

Qt::WindowFlags FlagsForStyle(unsigned style) {
  if (style & kPopup) {
    return Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
           Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput;
  }
  Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint;
  if (style & kTitleBar) flags |= Qt::WindowTitleHint;
  if (style & kSystemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (style & kMinimizeBox) flags |= Qt::WindowMinimizeButtonHint;
  if (style & kMaximizeBox) flags |= Qt::WindowMaximizeButtonHint;
  return flags;
}

TopWindow::TopWindow(const WindowSpec& spec, std::function<void(int)> onCloseRequest)
    : QWidget(nullptr, FlagsForStyle(spec.style)),
      m_spec(spec),
      m_onCloseRequest(std::move(onCloseRequest)) {
  setWindowTitle(QString::fromUtf8(spec.title));
  if (spec.style & kSizable) {
    resize(spec.clientWidth, spec.clientHeight);
  } else {
    setFixedSize(spec.clientWidth, spec.clientHeight);
  }
  if (spec.style & kPopup) setAttribute(Qt::WA_ShowWithoutActivating);
}

void TopWindow::ShowPlaced() {
  m_frameKnown = Place();
  show();
}

bool TopWindow::Place() {
  const QMargins frame = windowHandle() != nullptr ? windowHandle()->frameMargins() : QMargins();
  if (!m_spec.centred) {
    move(m_spec.x, m_spec.y);  // a top-level's position is that of its frame
    return true;
  }
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return true;
  const QRect area = screen->geometry();
  const int outerWidth = std::min(width() + frame.left() + frame.right(), area.width());
  const int outerHeight = std::min(height() + frame.top() + frame.bottom(), area.height());
  move(area.x() + (area.width() - outerWidth) / 2, area.y() + (area.height() - outerHeight) / 2);
  return !frame.isNull();
}

void TopWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (m_onCloseRequest) m_onCloseRequest(m_spec.number);
}

void TopWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (m_frameKnown || windowHandle() == nullptr) return;
  if (windowHandle()->frameMargins().isNull()) return;
  m_frameKnown = Place();
}

}  // namespace platform::qt
