// The group box behind the Frame gadget, drawn as an etched frame around its rows.
#pragma once

#include <QGroupBox>

namespace platform::qt {

// A group box drawn the classic way whatever the widget style: its caption
// at the top left, and an etched line (one line darker, one lighter than the
// background) that starts at the caption's middle height, so the frame
// shows on any background colour and encloses what lies below its caption.
class FrameBox final : public QGroupBox {
 public:
  using QGroupBox::QGroupBox;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace platform::qt
