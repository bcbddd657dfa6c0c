// The read-only text field behind the StatusField gadget: lines centred both ways, all of them shown.
#pragma once

#include <QTextEdit>

namespace platform::qt {

// A read-only, multi-line, unwrapped text field with a sunken edge. Its
// lines are centred across, and the block of lines is centred in its
// height; where the lines at their natural spacing are taller than the
// field, they are brought closer together so that every one shows.
class StatusField final : public QTextEdit {
 public:
  explicit StatusField(QWidget* parent);

  // Replaces the text (line breaks as "\n").
  void SetText(const QString& text);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  // Sets the line spacing and the top margin for the text and size now.
  void Arrange();

  bool m_arranging = false;
};

}  // namespace platform::qt
