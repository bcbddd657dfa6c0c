// The push button behind the Button and ImageButton gadgets: keyboard activation and a focus mark.
#pragma once

#include <QPushButton>

namespace platform::qt {

// A push button that Enter and Return activate as Space does, outside
// dialogs too, and that shows a dotted focus mark inside its edge whatever
// its colours or style sheet.
class ButtonGadget final : public QPushButton {
 public:
  using QPushButton::QPushButton;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace platform::qt
