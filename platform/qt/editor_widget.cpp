// LongLineEditor: long lines kept as marked pieces, joined again on the way out.
#include "platform/qt/editor_widget.h"

#include <algorithm>
#include <vector>

#include <QKeyEvent>
#include <QMimeData>
#include <QPalette>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>

namespace platform::qt {
namespace {

constexpr int kContinuationProperty = QTextFormat::UserProperty + 1;

// The characters at which QTextCursor::insertText starts a new block.
bool IsBlockBreak(QChar c) {
  return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == QChar(0xFDD0) ||
         c == QChar(0xFDD1);
}

// Where a piece of at most `limit` units starting at `start` should end: after the
// last blank near the limit, else at the limit, never inside a surrogate pair.
int PieceEnd(const QString& text, int start, int limit) {
  const int hardEnd = start + limit;
  for (int i = hardEnd; i > hardEnd - LongLineEditor::kBreakWindow; --i) {
    const QChar before = text.at(i - 1);
    if (before == u' ' || before == u'\t') return i;
  }
  return text.at(hardEnd - 1).isHighSurrogate() ? hardEnd - 1 : hardEnd;
}

struct Laid {
  QString text;                    // the pieces, separated by "\n"
  std::vector<int> continuations;  // block numbers of the later pieces, ascending
};

Laid LayOut(const QString& source) {
  Laid laid;
  laid.text.reserve(source.size() + source.size() / LongLineEditor::kPieceChars + 1);
  const QStringView all(source);
  const int size = static_cast<int>(source.size());
  int block = 0;
  int lineStart = 0;
  for (;;) {
    int end = lineStart;
    while (end < size && !IsBlockBreak(all[end])) ++end;
    int pieceStart = lineStart;
    while (end - pieceStart > LongLineEditor::kPieceChars) {
      const int cut = PieceEnd(source, pieceStart, LongLineEditor::kPieceChars);
      laid.text.append(all.mid(pieceStart, cut - pieceStart));
      laid.text.append(u'\n');
      laid.continuations.push_back(++block);
      pieceStart = cut;
    }
    laid.text.append(all.mid(pieceStart, end - pieceStart));
    if (end == size) break;
    const int next = end + ((all[end] == u'\r' && end + 1 < size && all[end + 1] == u'\n') ? 2 : 1);
    laid.text.append(all.mid(end, next - end));
    ++block;
    lineStart = next;
  }
  return laid;
}

QTextBlockFormat PlainFormat(const QTextCursor& cursor) {
  QTextBlockFormat format = cursor.blockFormat();
  format.clearProperty(kContinuationProperty);
  return format;
}

void AppendBlockText(QString& out, const QString& text) {
  for (QChar c : text) out.append(c == QChar::LineSeparator ? QChar(u'\n') : c);
}

}  // namespace

LongLineEditor::LongLineEditor(QWidget* parent) : QPlainTextEdit(parent) {
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QPalette colours = palette();
  for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
    colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
  }
  setPalette(colours);
}

bool LongLineEditor::IsContinuation(const QTextBlock& block) {
  return block.blockFormat().boolProperty(kContinuationProperty);
}

void LongLineEditor::SetText(const std::string& utf8) {
  m_setText = utf8;
  const Laid laid = LayOut(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
  QTextDocument* doc = document();
  doc->setUndoRedoEnabled(false);
  setPlainText(laid.text);
  if (!laid.continuations.empty()) {
    QTextBlockFormat marked;
    marked.setProperty(kContinuationProperty, true);
    QTextCursor cursor(doc);
    // One edit block: the layout then drops the pieces' layouts once, where
    // each single-block change would lay its piece out again at once.
    cursor.beginEditBlock();
    for (int number : laid.continuations) {
      cursor.setPosition(doc->findBlockByNumber(number).position());
      cursor.mergeBlockFormat(marked);
    }
    cursor.endEditBlock();
  }
  doc->setUndoRedoEnabled(true);
  doc->setModified(false);
  moveCursor(QTextCursor::Start);
}

QString LongLineEditor::JoinedText(int from, int to) const {
  QString out;
  const QTextDocument* doc = document();
  for (QTextBlock block = doc->findBlock(from); block.isValid() && block.position() <= to;
       block = block.next()) {
    if (block.position() > from && !IsContinuation(block)) out.append(u'\n');
    const int start = std::max(from, block.position()) - block.position();
    const int end = std::min(to, block.position() + block.length() - 1) - block.position();
    if (end > start) AppendBlockText(out, block.text().mid(start, end - start));
  }
  return out;
}

std::string LongLineEditor::Text() const {
  if (!document()->isModified()) return m_setText;
  const QByteArray bytes = JoinedText(0, document()->characterCount() - 1).toUtf8();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void LongLineEditor::keyPressEvent(QKeyEvent* event) {
  QTextCursor cursor = textCursor();
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  const int key = event->key();
  if ((key == Qt::Key_Return || key == Qt::Key_Enter) && modifiers == Qt::NoModifier && !isReadOnly()) {
    // A typed line break is a real one, even inside a continued piece.
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    cursor.insertBlock(PlainFormat(cursor), cursor.charFormat());
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
    return;
  }
  if (!cursor.hasSelection() && (modifiers == Qt::NoModifier || modifiers == Qt::ControlModifier)) {
    // The boundary between two pieces is no character: the key acts on the
    // character beyond it.
    const QTextBlock block = cursor.block();
    if (key == Qt::Key_Backspace && cursor.atBlockStart() && IsContinuation(block)) {
      cursor.setPosition(block.previous().position() + block.previous().length() - 1);
      setTextCursor(cursor);
    } else if (key == Qt::Key_Delete && cursor.atBlockEnd() && IsContinuation(block.next())) {
      cursor.setPosition(block.next().position());
      setTextCursor(cursor);
    }
  }
  QPlainTextEdit::keyPressEvent(event);
}

QMimeData* LongLineEditor::createMimeDataFromSelection() const {
  const QTextCursor cursor = textCursor();
  auto* data = new QMimeData;
  data->setText(JoinedText(cursor.selectionStart(), cursor.selectionEnd()));
  return data;
}

void LongLineEditor::insertFromMimeData(const QMimeData* source) {
  if (source == nullptr || !source->hasText() || isReadOnly()) return;
  // Pasted line breaks are real ones: the new blocks never inherit a
  // continuation mark from the block they are pasted into.
  const QString text = source->text();
  QTextCursor cursor = textCursor();
  cursor.beginEditBlock();
  cursor.removeSelectedText();
  int lineStart = 0;
  const int size = static_cast<int>(text.size());
  for (int i = 0; i <= size; ++i) {
    if (i < size && !IsBlockBreak(text.at(i))) continue;
    cursor.insertText(text.mid(lineStart, i - lineStart));
    if (i == size) break;
    if (text.at(i) == u'\r' && i + 1 < size && text.at(i + 1) == u'\n') ++i;
    cursor.insertBlock(PlainFormat(cursor), cursor.charFormat());
    lineStart = i + 1;
  }
  cursor.endEditBlock();
  setTextCursor(cursor);
  ensureCursorVisible();
}

QWidget* CreateEditorWidget(QWidget* parent) { return new LongLineEditor(parent); }

void SetEditorText(QWidget* editor, const std::string& utf8) {
  if (auto* widget = dynamic_cast<LongLineEditor*>(editor)) widget->SetText(utf8);
}

std::string GetEditorText(const QWidget* editor) {
  const auto* widget = dynamic_cast<const LongLineEditor*>(editor);
  return widget ? widget->Text() : std::string();
}

}  // namespace platform::qt
