// The long-line editor: pieces joined on read-back, and edits at piece boundaries that mean what they show.
#include "platform/qt/editor_widget.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QTextBlock>

#include <string>

#include "tests/support/qt_backend.h"

namespace {

using platform::qt::LongLineEditor;

// A line of words, far longer than a piece.
std::string LongLine(std::size_t length) {
  std::string line;
  for (std::size_t i = 0; line.size() < length; ++i) line += "word" + std::to_string(i % 97) + ' ';
  line.resize(length);
  return line;
}

class EditorTest : public ::testing::Test {
 protected:
  // The editor's text as the edited path gives it: every block walked.
  std::string WalkedText() {
    editor.document()->setModified(true);
    return editor.Text();
  }
  // Puts the cursor `offset` units into block `number`.
  void PlaceCursor(int number, int offset) {
    QTextCursor cursor(editor.document()->findBlockByNumber(number));
    cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, offset);
    editor.setTextCursor(cursor);
  }
  // Index in the one-line text of the cursor's place (ASCII texts only).
  std::size_t TextIndex() {
    const QTextCursor cursor = editor.textCursor();
    return static_cast<std::size_t>(cursor.position() - cursor.blockNumber());
  }
  void Press(int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&editor, &press);
  }

  bool m_application = (qttest::Backend(), true);  // before any widget
  LongLineEditor editor;
};

TEST_F(EditorTest, GivesBackExactlyTheTextSetAndJoinsItsPieces) {
  std::string emoji;
  while (emoji.size() < 40'000) emoji += "\xF0\x9F\x98\x80";  // pairs straddle every piece limit
  const std::string cases[] = {
      "",
      "short\nlines\n\nand a blank one\n",
      "nbsp\xC2\xA0kept \xE2\x80\xA8 and tabs\t",
      LongLine(50'000),
      std::string(50'000, 'x'),
      emoji,
      LongLine(9'000) + "\n" + std::string(9'000, 'y') + "\nend",
  };
  for (const std::string& text : cases) {
    SCOPED_TRACE(text.substr(0, 40));
    editor.SetText(text);
    EXPECT_EQ(editor.Text(), text);
    for (QTextBlock block = editor.document()->begin(); block.isValid(); block = block.next()) {
      ASSERT_LE(block.length() - 1, LongLineEditor::kPieceChars);
    }
    if (text.find("\xE2\x80\xA8") == std::string::npos) {
      EXPECT_EQ(WalkedText(), text);
    }
  }
  editor.SetText(std::string(50'000, 'x'));
  EXPECT_GT(editor.document()->blockCount(), 10);
}

TEST_F(EditorTest, EnterInsideOrAtTheStartOfAContinuedPieceIsALineBreak) {
  const std::string text = LongLine(20'000);
  for (int offset : {7, 0}) {
    SCOPED_TRACE(offset);
    editor.SetText(text);
    ASSERT_TRUE(LongLineEditor::IsContinuation(editor.document()->findBlockByNumber(2)));
    PlaceCursor(2, offset);
    const std::size_t at = TextIndex();
    Press(Qt::Key_Return);
    EXPECT_EQ(editor.Text(), text.substr(0, at) + "\n" + text.substr(at));
  }
}

TEST_F(EditorTest, BackspaceAndDeleteAtABoundaryRemoveTheNeighbouringCharacter) {
  const std::string text = std::string(20'000, 'a') + "b";
  editor.SetText(text);
  PlaceCursor(1, 0);
  const std::size_t at = TextIndex();
  Press(Qt::Key_Backspace);
  EXPECT_EQ(editor.Text(), text.substr(0, at - 1) + text.substr(at));

  editor.SetText(text);
  PlaceCursor(0, editor.document()->findBlockByNumber(0).length() - 1);
  Press(Qt::Key_Delete);
  EXPECT_EQ(editor.Text(), text.substr(0, at) + text.substr(at + 1));
}

TEST_F(EditorTest, CopyJoinsPiecesAndPastedLineBreaksStayReal) {
  const std::string text = LongLine(20'000);
  editor.SetText(text);
  QTextCursor selection(editor.document()->findBlockByNumber(1));
  selection.movePosition(QTextCursor::Left, QTextCursor::MoveAnchor, 5);
  selection.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor, 10);
  editor.setTextCursor(selection);
  const std::size_t from = static_cast<std::size_t>(selection.anchor());
  editor.copy();
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), text.substr(from, 9));

  QApplication::clipboard()->setText("one\ntwo");
  PlaceCursor(2, 3);
  const std::size_t at = TextIndex();
  editor.paste();
  EXPECT_EQ(editor.Text(), text.substr(0, at) + "one\ntwo" + text.substr(at));
}

TEST_F(EditorTest, UndoOfADeletionAcrossABoundaryRestoresTheJoinedLine) {
  const std::string text = std::string(20'000, 'z');
  editor.SetText(text);
  QTextCursor selection(editor.document()->findBlockByNumber(1));
  selection.movePosition(QTextCursor::Left, QTextCursor::MoveAnchor, 3);
  selection.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor, 6);
  editor.setTextCursor(selection);
  editor.textCursor().removeSelectedText();
  EXPECT_EQ(editor.Text(), std::string(20'000 - 5, 'z'));
  editor.undo();
  EXPECT_EQ(editor.Text(), text);
  EXPECT_EQ(WalkedText(), text);
}

}  // namespace
