// The Qt widget behind the Editor gadget: a plain-text editor that stays quick with very long lines.
#pragma once

#include <string>

#include <QPlainTextEdit>

class QKeyEvent;
class QMimeData;
class QTextBlock;

namespace platform::qt {

// A QPlainTextEdit that keeps every line longer than kPieceChars as several
// blocks (pieces), the later ones marked as continuations in their block
// format, so that laying out and editing a text of one 5 MB line costs what
// a text of short lines costs. Reading the text back joins the pieces again;
// a line break the user types, pastes or deletes is a real one, wherever it is.
// Lines wrap at the widget's width; the selection stays visible without focus.
class LongLineEditor final : public QPlainTextEdit {
 public:
  // A line is cut into pieces of at most this many UTF-16 units ...
  static constexpr int kPieceChars = 4096;
  // ... preferably just after a blank within this many units of the limit.
  static constexpr int kBreakWindow = 256;

  explicit LongLineEditor(QWidget* parent = nullptr);

  // Replaces the text (UTF-8, "\n" line ends); clears the undo history.
  void SetText(const std::string& utf8);
  // The text as UTF-8: exactly the text set while it is unedited; after an
  // edit, the pieces joined and every line break as "\n".
  std::string Text() const;

  // True when `block` continues the line of the block before it.
  static bool IsContinuation(const QTextBlock& block);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  QMimeData* createMimeDataFromSelection() const override;
  void insertFromMimeData(const QMimeData* source) override;

 private:
  // The text between two document positions, pieces joined.
  QString JoinedText(int from, int to) const;

  std::string m_setText;
};

// The three calls the Qt backend makes for GadgetKind::Editor.
// Creates a LongLineEditor as a child of `parent`.
QWidget* CreateEditorWidget(QWidget* parent);
// Sets its text (UTF-8); does nothing for another kind of widget.
void SetEditorText(QWidget* editor, const std::string& utf8);
// Its text (UTF-8), exactly as set while unedited; empty for another widget.
std::string GetEditorText(const QWidget* editor);

}  // namespace platform::qt
