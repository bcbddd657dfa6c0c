// Lays out the status field's lines: centred both ways, squeezed together where the field is too low for them.
#include "platform/qt/status_field.h"

#include <QPainter>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>

#include <algorithm>
#include <cmath>

namespace platform::qt {
namespace {

constexpr int kDocumentMargin = 1;  // between the sunken edge and the text
constexpr int kFocusInset = 1;      // between the edge and the focus mark
constexpr qreal kNaturalSpacingPercent = 100;

}  // namespace

StatusField::StatusField(QWidget* parent) : QTextEdit(parent) {
  setReadOnly(true);
  setAcceptRichText(false);
  setUndoRedoEnabled(false);
  setLineWrapMode(QTextEdit::NoWrap);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
  setFocusPolicy(Qt::StrongFocus);
  document()->setDocumentMargin(kDocumentMargin);
  QTextOption option = document()->defaultTextOption();
  option.setAlignment(Qt::AlignHCenter);
  option.setWrapMode(QTextOption::NoWrap);
  document()->setDefaultTextOption(option);
}

void StatusField::SetText(const QString& text) {
  setPlainText(text);
  Arrange();
}

void StatusField::Arrange() {
  if (m_arranging) return;
  m_arranging = true;
  QTextDocument* text = document();
  QTextFrameFormat frame = text->rootFrame()->frameFormat();
  frame.setTopMargin(kDocumentMargin);
  text->rootFrame()->setFrameFormat(frame);
  const int room = viewport()->height();
  QTextCursor all(text);
  all.select(QTextCursor::Document);
  QTextBlockFormat spacing;
  spacing.setLineHeight(kNaturalSpacingPercent, QTextBlockFormat::ProportionalHeight);
  all.mergeBlockFormat(spacing);
  qreal height = text->size().height();
  const int lines = text->blockCount();  // lines never wrap: one line a block
  if (height > room && lines > 1) {
    const qreal lineRoom = (room - 2 * kDocumentMargin) / static_cast<qreal>(lines);
    spacing.setLineHeight(std::floor(lineRoom), QTextBlockFormat::FixedHeight);
    all.mergeBlockFormat(spacing);
    height = text->size().height();
  }
  // The free height goes above the lines as much as below them.
  frame.setTopMargin(kDocumentMargin + std::max(0, (room - static_cast<int>(std::ceil(height))) / 2));
  text->rootFrame()->setFrameFormat(frame);
  verticalScrollBar()->setValue(0);
  m_arranging = false;
}

void StatusField::resizeEvent(QResizeEvent* event) {
  QTextEdit::resizeEvent(event);
  Arrange();
}

void StatusField::changeEvent(QEvent* event) {
  QTextEdit::changeEvent(event);
  if (event->type() == QEvent::FontChange) Arrange();
}

void StatusField::focusInEvent(QFocusEvent* event) {
  QTextEdit::focusInEvent(event);
  viewport()->update();
}

void StatusField::focusOutEvent(QFocusEvent* event) {
  QTextEdit::focusOutEvent(event);
  viewport()->update();
}

void StatusField::paintEvent(QPaintEvent* event) {
  QTextEdit::paintEvent(event);
  if (!hasFocus()) return;
  QPainter painter(viewport());
  QPen pen(palette().color(QPalette::Text));
  pen.setStyle(Qt::DotLine);
  painter.setPen(pen);
  painter.drawRect(viewport()->rect().adjusted(kFocusInset, kFocusInset, -kFocusInset - 1, -kFocusInset - 1));
}

}  // namespace platform::qt
