// Draws and places the balloon tooltip, and shows it when the pointer rests on its gadget.
#include "platform/qt/balloon_tip.h"

#include <QBitmap>
#include <QEvent>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include <algorithm>

namespace platform::qt {
namespace {

constexpr int kPadding = 8;        // between the outline and the text
constexpr int kCornerRadius = 8;
constexpr int kStemHeight = 12;
constexpr int kStemWidth = 14;
constexpr int kStemInset = 16;     // from the balloon's left edge to the stem
constexpr int kUnboundedHeight = 100000;
constexpr int kAutoHideMs = 10000; // how long a balloon stays without a pointer move

}  // namespace

BalloonTip::BalloonTip(QWidget* owner, QWidget* watched, const QString& text, int maxWidth)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint), m_text(text) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFont(QGuiApplication::font());
  const QFontMetrics metrics(font());
  const QRect bounds = metrics.boundingRect(QRect(0, 0, std::max(maxWidth, 1), kUnboundedHeight),
                                            Qt::TextWordWrap, m_text);
  m_textRect = QRect(kPadding, kPadding + kStemHeight, bounds.width(), bounds.height());
  resize(m_textRect.width() + 2 * kPadding, m_textRect.height() + 2 * kPadding + kStemHeight);
  m_hideTimer.setSingleShot(true);
  m_hideTimer.setInterval(kAutoHideMs);
  connect(&m_hideTimer, &QTimer::timeout, this, &QWidget::hide);
  watched->installEventFilter(this);
}

void BalloonTip::ShowAt(const QPoint& globalPoint) {
  const QScreen* screen = QGuiApplication::screenAt(globalPoint);
  const QRect area = screen != nullptr ? screen->geometry() : QRect(globalPoint, size());
  m_stemAbove = globalPoint.y() + height() <= area.bottom();
  const int stemOffset = kStemInset + kStemWidth / 2;
  const int left = std::clamp(globalPoint.x() - stemOffset, area.left(),
                              std::max(area.left(), area.right() - width()));
  const int top = m_stemAbove ? globalPoint.y() : globalPoint.y() - height();
  m_stemX = std::clamp(globalPoint.x() - left, kCornerRadius + kStemWidth / 2,
                       width() - kCornerRadius - kStemWidth / 2);
  const int textTop = m_stemAbove ? kPadding + kStemHeight : kPadding;
  m_textRect.moveTop(textTop);
  // A mask gives the balloon its shape also where no compositor draws
  // translucent windows.
  setMask(QRegion(Outline().toFillPolygon().toPolygon()));
  move(left, top);
  show();
  raise();
  update();
  m_hideTimer.start();
}

bool BalloonTip::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ToolTip:
      ShowAt(static_cast<QHelpEvent*>(event)->globalPos());
      return true;  // the balloon replaces any plain tooltip
    case QEvent::Leave:
    case QEvent::MouseButtonPress:
    case QEvent::Hide:
    case QEvent::WindowDeactivate:
      hide();
      break;
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}

QPainterPath BalloonTip::Outline() const {
  const QRectF body = m_stemAbove
      ? QRectF(0.5, kStemHeight + 0.5, width() - 1.0, height() - kStemHeight - 1.0)
      : QRectF(0.5, 0.5, width() - 1.0, height() - kStemHeight - 1.0);
  QPainterPath outline;
  outline.addRoundedRect(body, kCornerRadius, kCornerRadius);
  QPainterPath stem;
  const double halfStem = kStemWidth / 2.0;
  if (m_stemAbove) {
    stem.moveTo(m_stemX - halfStem, body.top() + 1);
    stem.lineTo(m_stemX - halfStem, 0.5);
    stem.lineTo(m_stemX + halfStem, body.top() + 1);
  } else {
    stem.moveTo(m_stemX - halfStem, body.bottom() - 1);
    stem.lineTo(m_stemX - halfStem, height() - 0.5);
    stem.lineTo(m_stemX + halfStem, body.bottom() - 1);
  }
  stem.closeSubpath();
  return outline.united(stem);
}

void BalloonTip::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QPalette& colours = palette();
  painter.setPen(QPen(colours.color(QPalette::ToolTipText), 1.0));
  painter.setBrush(colours.color(QPalette::ToolTipBase));
  painter.drawPath(Outline());
  painter.setPen(colours.color(QPalette::ToolTipText));
  painter.drawText(m_textRect, Qt::TextWordWrap, m_text);
}

}  // namespace platform::qt
