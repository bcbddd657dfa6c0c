// Paints the Frame gadget: caption and etched outline in colours taken from its background.
#include "platform/qt/frame_box.h"

#include <QPainter>

namespace platform::qt {
namespace {

constexpr int kCaptionIndent = 8;    // from the frame's left edge to the caption's gap
constexpr int kCaptionPadding = 2;   // free pixels either side of the caption
constexpr int kShadowShade = 150;    // percent: the dark line against the background
constexpr int kLightShade = 150;     // percent: the light line against the background

}  // namespace

void FrameBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QColor ground = palette().color(QPalette::Window);
  const QFontMetrics metrics(font());
  const QRect outline = rect().adjusted(0, metrics.height() / 2, -1, -1);
  painter.setPen(ground.darker(kShadowShade));
  painter.drawRect(outline.adjusted(0, 0, -1, -1));
  painter.setPen(ground.lighter(kLightShade));
  painter.drawRect(outline.adjusted(1, 1, 0, 0));

  const QString caption = title();
  if (caption.isEmpty()) return;
  const QRect captionRect(kCaptionIndent, 0, metrics.horizontalAdvance(caption) + 2 * kCaptionPadding,
                          metrics.height());
  painter.fillRect(captionRect, ground);
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(captionRect, Qt::AlignCenter | Qt::TextSingleLine, caption);
}

}  // namespace platform::qt
