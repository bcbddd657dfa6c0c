// A balloon-shaped tooltip that a window owns and that watches one gadget.
#pragma once

#include <QPainterPath>
#include <QTimer>
#include <QWidget>

namespace platform::qt {

// Shown where the pointer rests on the watched widget, with a stem pointing
// at it; hidden when the pointer leaves, clicks or after a while. The text is
// plain (an "&" shows as itself) and wraps at maxWidth pixels. The balloon
// is a child of the owner window and goes with it.
class BalloonTip final : public QWidget {
  Q_OBJECT

 public:
  BalloonTip(QWidget* owner, QWidget* watched, const QString& text, int maxWidth);

  // Shows the balloon with its stem at the global point.
  void ShowAt(const QPoint& globalPoint);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  QPainterPath Outline() const;

  QString m_text;
  QRect m_textRect;       // in balloon coordinates
  bool m_stemAbove = true;
  int m_stemX = 0;
  QTimer m_hideTimer;
};

}  // namespace platform::qt
