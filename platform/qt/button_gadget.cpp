// Enter activation and the focus mark of the program's push buttons.
#include "platform/qt/button_gadget.h"

#include <QKeyEvent>
#include <QPainter>

namespace platform::qt {
namespace {

constexpr int kFocusInset = 3;  // pixels between the button's edge and its focus mark

}  // namespace

void ButtonGadget::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  if (enter && plain && !event->isAutoRepeat()) {
    animateClick();
    return;
  }
  QPushButton::keyPressEvent(event);
}

void ButtonGadget::paintEvent(QPaintEvent* event) {
  QPushButton::paintEvent(event);
  if (!hasFocus()) return;
  QPainter painter(this);
  QPen pen(palette().color(QPalette::ButtonText));
  pen.setStyle(Qt::DotLine);
  painter.setPen(pen);
  painter.drawRect(rect().adjusted(kFocusInset, kFocusInset, -kFocusInset - 1, -kFocusInset - 1));
}

}  // namespace platform::qt
