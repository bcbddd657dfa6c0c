// What the Qt backend draws and how it stays drawn: paints during long work, the status field, the frame, focus and keys.
#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/platform.h"
#include "tests/support/qt_backend.h"

namespace {

using Clock = std::chrono::steady_clock;
using platform::Colour;
using platform::EventKind;
using platform::GadgetKind;

constexpr unsigned kMainStyle = platform::kTitleBar | platform::kSystemMenu | platform::kMinimizeBox;
constexpr int kMain = 0;
constexpr int kProgress = 15;
constexpr int kMainFont = 0;
const Colour kGold = Colour::FromRgb(217, 200, 68);
const Colour kGrey = Colour::FromRgb(151, 151, 151);
const Colour kBlack = Colour::FromRgb(0, 0, 0);

// Counts the paint events a widget gets, from any thread's point of view.
class PaintCounter final : public QObject {
 public:
  std::atomic<int> paints{0};

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

class QtPaintingTest : public ::testing::Test {
 protected:
  QtPaintingTest() { ui.LoadFont(kMainFont, {"arial", 11, false}); }
  void TearDown() override {
    for (int window : {kMain, kProgress}) ui.CloseWindow(window);
  }

  QWidget* OpenMain() {
    EXPECT_TRUE(ui.OpenWindow({kMain, "Main", 640, 359, kMainStyle}));
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget->isVisible() && widget->windowTitle() == "Main") return widget;
    }
    return nullptr;
  }

  template <typename Widget>
  static Widget* Only(QWidget* window) {
    const auto found = window->findChildren<Widget*>();
    return found.size() == 1 ? found.first() : nullptr;
  }

  platform::Platform& ui = qttest::Backend();
};

// The progress window is painted before the work starts and goes on being
// repainted while the work runs on: here the work changes its text every
// 20 ms, as a blink worker does, and every change must reach the screen.
TEST_F(QtPaintingTest, LongWorkKeepsTheProgressWindowPainted) {
  OpenMain();
  ASSERT_TRUE(ui.OpenWindow({kProgress, "", 292, 30, platform::kPopup, true, 0, 0, kMain}));
  ASSERT_TRUE(ui.CreateGadget({kProgress, 16, GadgetKind::Text, 5, 5, 280, 20, "Please Wait", -1, true}));
  QWidget* popup = nullptr;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->isVisible() && widget->size() == QSize(292, 30)) popup = widget;
  }
  ASSERT_NE(popup, nullptr);
  QLabel* text = Only<QLabel>(popup);
  ASSERT_NE(text, nullptr);
  PaintCounter counter;
  text->installEventFilter(&counter);
  // A change made just before the work, such as a window just shown, is on
  // the screen before the work starts.
  ui.SetGadgetText(16, "Patientez S.V.P");

  constexpr int kChanges = 25;
  int paintedBeforeWork = -1;
  const Clock::time_point start = Clock::now();
  ui.RunKeepingPainted([&] {
    paintedBeforeWork = counter.paints.load();
    for (int i = 0; i < kChanges; ++i) {
      ui.RunOnUiThread([this, i] { ui.SetGadgetText(16, std::to_string(i)); });
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  EXPECT_GT(paintedBeforeWork, 0) << "the window must be painted before the work starts";
  // Repaints are coalesced, so not every change needs a paint of its own,
  // but a thread that waited for the work would paint once at its end.
  EXPECT_GE(counter.paints.load() - paintedBeforeWork, kChanges / 2);
  EXPECT_EQ(text->text(), QString::number(kChanges - 1));
  EXPECT_LT(ms, 20.0 * kChanges * 4) << "the work itself must not be slowed down much";
}

// Input that comes while the work runs is not taken then: the clicks and
// the close request wait, in order, for the next WaitEvent.
TEST_F(QtPaintingTest, EventsDuringLongWorkWaitForItsEndInOrder) {
  QWidget* window = OpenMain();
  ASSERT_TRUE(ui.CreateGadget({kMain, 4, GadgetKind::Button, 20, 195, 300, 45, "TXT -> PNG", -1, false, true}));
  auto* button = Only<QPushButton>(window);
  ASSERT_NE(button, nullptr);
  std::atomic<bool> workEnded{false};
  ui.RunKeepingPainted([&] {
    ui.RunOnUiThread([button, window] {
      button->click();
      window->close();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    workEnded = true;
  });
  ASSERT_TRUE(workEnded);
  EXPECT_EQ(ui.WaitEvent().kind, EventKind::Gadget);
  EXPECT_EQ(ui.WaitEvent().kind, EventKind::CloseRequest);
}

// The rows that hold ink (text darker than the field's gold), top to bottom.
std::vector<int> InkRows(const QImage& image) {
  std::vector<int> rows;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (qGray(image.pixel(x, y)) < 60) {
        rows.push_back(y);
        break;
      }
    }
  }
  return rows;
}

TEST_F(QtPaintingTest, StatusTextIsCentredInItsHeightAndEveryCreditLineShows) {
  QWidget* window = OpenMain();
  ASSERT_TRUE(ui.CreateGadget({kMain, 7, GadgetKind::StatusField, 48, 304, 547, 25, "Convert !"}));
  ui.SetGadgetFont(7, kMainFont);
  ui.SetGadgetColours(7, kBlack, kGold);
  auto* field = Only<QTextEdit>(window);
  ASSERT_NE(field, nullptr);
  const int frame = field->frameWidth();
  field->clearFocus();  // its focus mark would count as ink
  QApplication::processEvents();

  // One line in the 25-pixel field: as much room above the ink as below.
  std::vector<int> ink = InkRows(field->viewport()->grab().toImage());
  ASSERT_FALSE(ink.empty());
  const int above = ink.front();
  const int below = field->viewport()->height() - 1 - ink.back();
  EXPECT_LE(std::abs(above - below), 3) << "above " << above << ", below " << below;

  // The six credit lines (one of them empty) in the panel's 108 pixels.
  ui.MoveGadget(7, 20, 195, 605, 108);
  ui.SetGadgetText(7, "created by\r\nfreeware\r\nGreetings : Ysolde, Thilo\r\n\r\nMAKER : http://x.example\r\n"
                      "Helper : http://gjpqy.example");
  QApplication::processEvents();
  EXPECT_LE(field->document()->size().height(), field->viewport()->height()) << "no line is cut off";
  ink = InkRows(field->grab().toImage());
  ASSERT_FALSE(ink.empty());
  EXPECT_LT(ink.back(), field->height() - frame) << "the last line's descenders show";
  EXPECT_GT(ink.front(), frame);
}

// The frame's line shows on its grey ground and starts at its caption's
// middle height, above the first row of buttons 20 pixels down.
TEST_F(QtPaintingTest, FrameIsVisibleOnItsGroundAndEnclosesItsRows) {
  QWidget* window = OpenMain();
  ASSERT_TRUE(ui.CreateGadget({kMain, 3, GadgetKind::Frame, 5, 175, 630, 181,
                               "Convert a text into picture or picture to text"}));
  ui.SetGadgetFont(3, kMainFont);
  ui.SetGadgetColours(3, Colour::SystemDefault(), kGrey);
  ui.SetWindowColour(kMain, kGrey);
  auto* box = Only<QGroupBox>(window);
  ASSERT_NE(box, nullptr);
  const QImage image = box->grab().toImage();
  const int lineY = QFontMetrics(box->font()).height() / 2;
  EXPECT_LT(lineY + 1, 20) << "the top line must lie above the first button row";
  const auto contrast = [&](int x, int y) { return std::abs(qGray(image.pixel(x, y)) - 151); };
  EXPECT_GE(contrast(image.width() - 20, lineY), 40) << "top line";
  EXPECT_GE(contrast(0, 100), 40) << "left line";
  EXPECT_GE(contrast(image.width() - 1, 100), 40) << "right line";
  EXPECT_GE(contrast(300, image.height() - 1), 40) << "bottom line";
  EXPECT_LT(contrast(300, 100), 5) << "the inside keeps the ground";
}

// Every button, flag buttons included, shows a mark while it has the focus,
// and Enter and Return press it as Space does.
TEST_F(QtPaintingTest, FocusedButtonsShowAMarkAndTakeEnterReturnAndSpace) {
  QWidget* window = OpenMain();
  ASSERT_TRUE(ui.CreateImage(29, {33, 25, std::vector<std::uint8_t>(33 * 25 * 4, 200)}));
  ASSERT_TRUE(ui.CreateGadget({kMain, 4, GadgetKind::Button, 20, 195, 300, 45, "TXT -> PNG", -1, false, true}));
  ui.SetGadgetColours(4, Colour::SystemDefault(), kGold);
  ASSERT_TRUE(ui.CreateGadget({kMain, 25, GadgetKind::ImageButton, 5, 0, 33, 25, "", 29}));
  window->activateWindow();
  QApplication::processEvents();
  for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
    SCOPED_TRACE(button->text().toStdString());
    window->setFocus();
    QApplication::processEvents();
    const QImage unfocused = button->grab().toImage();
    button->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(button->hasFocus());
    EXPECT_NE(button->grab().toImage(), unfocused) << "no focus mark";
    for (const int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
      QKeyEvent press(QEvent::KeyPress, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier,
                      key == Qt::Key_Space ? QStringLiteral(" ") : QStringLiteral("\r"));
      QKeyEvent release(QEvent::KeyRelease, key, press.modifiers(), press.text());
      QApplication::sendEvent(button, &press);
      QApplication::sendEvent(button, &release);
      const platform::Event event = ui.WaitEvent();
      EXPECT_EQ(event.kind, EventKind::Gadget) << key;
      EXPECT_EQ(event.gadget, button->text().isEmpty() ? 25 : 4) << key;
    }
  }
}

}  // namespace
