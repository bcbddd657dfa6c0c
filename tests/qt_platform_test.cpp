// The Qt backend of the windowing layer, driven through its interface under the offscreen platform.
#include <atomic>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <gtest/gtest.h>

#include "platform/qt/balloon_tip.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/qt_platform.h"
#include "platform/window_placement.h"
#include "tests/support/qt_backend.h"

namespace {

using platform::Colour;
using platform::Event;
using platform::EventKind;
using platform::GadgetKind;
using platform::GadgetSpec;
using platform::WindowSpec;

constexpr unsigned kMainStyle = platform::kTitleBar | platform::kSystemMenu | platform::kMinimizeBox;
constexpr int kWindow = 0;
constexpr int kOtherWindow = 11;

// One backend for the whole test program, shared with the other Qt test files.
platform::Platform& Backend() { return qttest::Backend(); }

QWidget* TopLevel(const QString& title) {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->windowTitle() == title && widget->isVisible()) return widget;
  }
  return nullptr;
}

template <typename Widget>
Widget* ChildWithText(QWidget* window, const QString& text) {
  for (Widget* child : window->findChildren<Widget*>()) {
    if (child->text() == text) return child;
  }
  return nullptr;
}

// Runs answer on the next modal dialog once it is up.
void AnswerNextModal(std::function<void(QWidget*)> answer) {
  QTimer::singleShot(0, [answer = std::move(answer)] { answer(QApplication::activeModalWidget()); });
}

QColor PixelOf(QWidget* widget, QPoint point) { return widget->grab().toImage().pixelColor(point); }

class QtPlatformTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (int window : {kWindow, kOtherWindow, 15, 24}) ui.CloseWindow(window);
  }

  QWidget* Open(const WindowSpec& spec) {
    EXPECT_TRUE(ui.OpenWindow(spec));
    return TopLevel(QString::fromStdString(spec.title));
  }
  QWidget* OpenMain() { return Open({kWindow, "Main", 640, 359, kMainStyle}); }

  platform::Platform& ui = Backend();
};

struct WindowCase {
  const char* name;
  WindowSpec spec;
  Qt::WindowFlags present;
  Qt::WindowFlags absent;
};

// Where a window's outer frame belongs: where the placement rule puts it
// with the frame the backend knows (offscreen windows get no real frame).
QPoint ExpectedOuterTopLeft(platform::Platform& ui, const WindowSpec& spec) {
  const platform::ScreenRect outer =
      platform::PlaceWindow(spec, ui.ScreenArea(), ui.AvailableScreenArea(), ui.WindowFrame(spec.style));
  return {outer.x, outer.y};
}

TEST_F(QtPlatformTest, WindowsHaveTheirClientSizePlaceAndBoxes) {
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  const WindowCase cases[] = {
      {"main", {kWindow, "Main", 640, 359, kMainStyle},
       Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint,
       Qt::WindowMaximizeButtonHint | Qt::FramelessWindowHint},
      {"language", {24, "Language", 117, 56, platform::kTitleBar},
       Qt::WindowTitleHint | Qt::CustomizeWindowHint,
       Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint},
      {"progress popup", {15, "", 292, 30, platform::kPopup},
       Qt::FramelessWindowHint | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus,
       Qt::WindowTitleHint | Qt::WindowStaysOnTopHint},
      {"result at a place", {kOtherWindow, "Result", 640, 660, kMainStyle & ~platform::kMinimizeBox, false, 30, 15},
       Qt::WindowCloseButtonHint, Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint},
      {"larger than the screen", {kWindow, "Huge", screen.width() + 200, screen.height() + 100, kMainStyle},
       Qt::WindowTitleHint, Qt::WindowMaximizeButtonHint},
  };
  for (const WindowCase& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(ui.OpenWindow(c.spec));
    QWidget* window = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->isVisible() && w->windowTitle() == QString::fromStdString(c.spec.title) &&
          w->size() == QSize(c.spec.clientWidth, c.spec.clientHeight)) {
        window = w;
      }
    }
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "not resizable";
    const QRect outer = window->frameGeometry();
    EXPECT_EQ(outer.topLeft(), ExpectedOuterTopLeft(ui, c.spec));
    EXPECT_EQ(window->windowFlags() & c.present, c.present);
    EXPECT_EQ(window->windowFlags() & c.absent, Qt::WindowFlags());
    ui.CloseWindow(c.spec.number);
    EXPECT_FALSE(ui.IsWindowOpen(c.spec.number));
  }
}

TEST_F(QtPlatformTest, ClicksReachWaitEventInOrderAsGadgetEvents) {
  QWidget* window = OpenMain();
  ASSERT_TRUE(ui.CreateGadget({kWindow, 4, GadgetKind::Button, 20, 195, 300, 45, "TXT -> PNG", -1, false, true}));
  ASSERT_TRUE(ui.CreateGadget({kWindow, 6, GadgetKind::Button, 325, 195, 300, 45, "Clipboard", -1, false, true}));
  ChildWithText<QPushButton>(window, "Clipboard")->click();
  ChildWithText<QPushButton>(window, "TXT -> PNG")->click();
  for (int gadget : {6, 4}) {
    const Event event = ui.WaitEvent();
    EXPECT_EQ(event.kind, EventKind::Gadget);
    EXPECT_EQ(event.window, kWindow);
    EXPECT_EQ(event.gadget, gadget);
  }
}

TEST_F(QtPlatformTest, CloseRequestIsQueuedAndTheWindowStaysOpen) {
  QWidget* window = OpenMain();
  EXPECT_FALSE(window->close());
  const Event event = ui.WaitEvent();
  EXPECT_EQ(event.kind, EventKind::CloseRequest);
  EXPECT_EQ(event.window, kWindow);
  EXPECT_TRUE(ui.IsWindowOpen(kWindow));
  EXPECT_TRUE(window->isVisible());
}

TEST_F(QtPlatformTest, WorkerChangesLandInTheGadgetInTheOrderPosted) {
  QWidget* window = OpenMain();
  ASSERT_TRUE(ui.CreateGadget({kWindow, 7, GadgetKind::StatusField, 48, 304, 547, 25, "start"}));
  ASSERT_TRUE(ui.CreateGadget({kWindow, 23, GadgetKind::Button, 20, 305, 25, 25, "?"}));
  QPushButton* done = ChildWithText<QPushButton>(window, "?");
  constexpr int kChanges = 200;
  std::vector<std::string> seen;  // touched on the user-interface thread only
  ASSERT_TRUE(ui.StartThread([this, &seen, done] {
    for (int i = 1; i <= kChanges; ++i) {
      ui.RunOnUiThread([this, &seen, i] {
        ui.SetGadgetText(7, std::to_string(i));
        seen.push_back(ui.GetGadgetText(7));
      });
    }
    ui.RunOnUiThread([done] { done->click(); });
  }));
  EXPECT_EQ(ui.WaitEvent().gadget, 23);
  ASSERT_EQ(seen.size(), static_cast<std::size_t>(kChanges));
  for (int i = 0; i < kChanges; ++i) ASSERT_EQ(seen[i], std::to_string(i + 1));
  EXPECT_EQ(window->findChild<QTextEdit*>()->toPlainText(), QString::number(kChanges));
}

TEST_F(QtPlatformTest, ChangePostedAfterItsWindowClosedIsHarmless) {
  OpenMain();
  ASSERT_TRUE(ui.CreateGadget({kWindow, 7, GadgetKind::StatusField, 48, 304, 547, 25, "start"}));
  ui.RunOnUiThread([this] { ui.SetGadgetText(7, "late"); });
  ui.CloseWindow(kWindow);
  QCoreApplication::processEvents();
  EXPECT_FALSE(ui.GadgetExists(7));
  EXPECT_EQ(ui.GetGadgetText(7), "");
}

TEST_F(QtPlatformTest, StatusFieldShowsLinesUnwrappedAndGivesBackTheTextSet) {
  QWidget* window = OpenMain();
  const std::string credits = "Letterloom 2.0\r\nA line far longer than the field is wide, which must not wrap at all";
  ASSERT_TRUE(ui.CreateGadget({kWindow, 7, GadgetKind::StatusField, 20, 195, 100, 108, credits}));
  const auto* field = window->findChild<QTextEdit*>();
  EXPECT_TRUE(field->isReadOnly());
  EXPECT_EQ(field->document()->blockCount(), 2);
  EXPECT_FALSE(field->toPlainText().contains(QLatin1Char('\r')));
  EXPECT_EQ(field->document()->lineCount(), 2) << "no wrapping";
  EXPECT_EQ(ui.GetGadgetText(7), credits);
}

TEST_F(QtPlatformTest, EditorGivesBackExactlyTheTextSet) {
  OpenMain();
  ASSERT_TRUE(ui.CreateGadget({kWindow, 12, GadgetKind::Editor, 5, 5, 630, 550, ""}));
  const std::string texts[] = {
      "", "one line", "two\nlines\n", "\n\n\nblank lines\n\n", "tab\there, nbsp\xC2\xA0here, \xE2\x82\xAC sign",
      std::string(20000, 'x') + "\n" + std::string(5000, 'y'),
  };
  for (const std::string& text : texts) {
    ui.SetGadgetText(12, text);
    EXPECT_EQ(ui.GetGadgetText(12), text);
  }
}

TEST_F(QtPlatformTest, ColoursShowAsAsked) {
  QWidget* window = OpenMain();
  ASSERT_TRUE(ui.CreateGadget({kWindow, 2, GadgetKind::Text, 5, 335, 630, 20, ""}));
  ASSERT_TRUE(ui.CreateGadget({kWindow, 4, GadgetKind::Button, 20, 195, 300, 45, "", -1, false, true}));
  ASSERT_TRUE(ui.CreateGadget({kWindow, 7, GadgetKind::StatusField, 48, 304, 547, 25, ""}));
  ui.SetGadgetColours(2, Colour::SystemDefault(), Colour::Transparent());
  ui.SetGadgetColours(4, Colour::SystemDefault(), Colour::FromRgb(217, 200, 68));
  ui.SetGadgetColours(7, Colour::FromRgb(0, 0, 0), Colour::FromRgb(217, 200, 68));
  ui.SetWindowColour(kWindow, Colour::FromRgb(151, 151, 151));
  const QColor gold(217, 200, 68);
  const QColor grey(151, 151, 151);
  EXPECT_EQ(PixelOf(window, {320, 345}), grey) << "window shows through the transparent text";
  EXPECT_EQ(PixelOf(window, {170, 200}), gold) << "flat button face";
  EXPECT_EQ(PixelOf(window, {300, 326}), gold) << "status field background";
  EXPECT_EQ(PixelOf(window, {10, 10}), grey);
}

TEST_F(QtPlatformTest, GroupBoxStaysBehindTextsMadeBeforeIt) {
  QWidget* window = OpenMain();
  ASSERT_TRUE(ui.CreateGadget({kWindow, 2, GadgetKind::Text, 5, 335, 630, 20, "footer"}));
  ASSERT_TRUE(ui.CreateGadget({kWindow, 3, GadgetKind::Frame, 5, 175, 630, 181, "tagline"}));
  ui.SetGadgetColours(3, Colour::SystemDefault(), Colour::FromRgb(151, 151, 151));
  const QObjectList& order = window->children();  // bottom of the stack first
  const auto* frame = window->findChild<QGroupBox*>();
  const auto* footer = ChildWithText<QLabel>(window, "footer");
  EXPECT_LT(order.indexOf(frame), order.indexOf(footer));
}

TEST_F(QtPlatformTest, TabOrderIsCreationOrder) {
  QWidget* window = OpenMain();
  const int order[] = {4, 6, 5, 22, 23};
  ASSERT_TRUE(ui.CreateGadget({kWindow, 1, GadgetKind::Text, 0, 0, 10, 10, "label"}));
  for (int gadget : order) {
    ASSERT_TRUE(ui.CreateGadget({kWindow, gadget, GadgetKind::Button, gadget * 20, 195, 15, 15, std::to_string(gadget)}));
  }
  ASSERT_TRUE(ui.CreateGadget({kWindow, 7, GadgetKind::StatusField, 48, 304, 547, 25, ""}));
  QWidget* focus = ChildWithText<QPushButton>(window, "4");
  for (int gadget : {6, 5, 22, 23}) {
    focus = focus->nextInFocusChain();
    while (focus->focusPolicy() == Qt::NoFocus) focus = focus->nextInFocusChain();
    ASSERT_NE(qobject_cast<QPushButton*>(focus), nullptr);
    EXPECT_EQ(static_cast<QPushButton*>(focus)->text(), QString::number(gadget));
  }
  do focus = focus->nextInFocusChain(); while (focus->focusPolicy() == Qt::NoFocus);
  EXPECT_EQ(focus, window->findChild<QTextEdit*>());
}

TEST_F(QtPlatformTest, PicturesGiveImagesTheirSizeAndBadPixmapsAreRefused) {
  QWidget* window = OpenMain();
  const platform::Pixmap flag{33, 25, std::vector<std::uint8_t>(33 * 25 * 4, 200)};
  ASSERT_TRUE(ui.CreateImage(29, flag));
  ASSERT_TRUE(ui.CreateGadget({kWindow, 1, GadgetKind::Image, 0, 0, 644, 172, "", 29}));
  ASSERT_TRUE(ui.CreateGadget({kWindow, 25, GadgetKind::ImageButton, 5, 0, 33, 25, "", 29}));
  EXPECT_EQ(window->findChild<QLabel*>()->size(), QSize(33, 25));
  EXPECT_EQ(window->findChild<QPushButton*>()->iconSize(), QSize(33, 25));
  const platform::Pixmap bad[] = {
      {0, 25, {}}, {33, 25, std::vector<std::uint8_t>(33 * 25 * 4 - 1)}, {-1, -1, {}},
  };
  for (const platform::Pixmap& pixmap : bad) EXPECT_FALSE(ui.CreateImage(30, pixmap));
}

TEST_F(QtPlatformTest, ArialAndMicrosoftSansSerifResolveToLiberationSans) {
  QWidget* window = OpenMain();
  ASSERT_TRUE(ui.LoadFont(0, {"arial", 11, false}));
  ASSERT_TRUE(ui.LoadFont(17, {"Microsoft Sans Serif", 12, true}));
  ASSERT_TRUE(ui.CreateGadget({kWindow, 2, GadgetKind::Text, 5, 335, 630, 20, "a"}));
  ASSERT_TRUE(ui.CreateGadget({kWindow, 16, GadgetKind::Text, 5, 5, 280, 20, "b"}));
  ui.SetGadgetFont(2, 0);
  ui.SetGadgetFont(16, 17);
  const QFontInfo main(ChildWithText<QLabel>(window, "a")->font());
  const QFontInfo progress(ChildWithText<QLabel>(window, "b")->font());
  EXPECT_EQ(main.family(), "Liberation Sans");
  EXPECT_EQ(main.pointSize(), 11);
  EXPECT_FALSE(main.bold());
  EXPECT_EQ(progress.family(), "Liberation Sans");
  EXPECT_TRUE(progress.bold());
}

TEST_F(QtPlatformTest, BalloonTipWrapsLongTextsAtItsWidthAndShowsOnHover) {
  QWidget* window = OpenMain();
  ASSERT_TRUE(ui.CreateGadget({kWindow, 22, GadgetKind::Button, 600, 305, 25, 25, "@"}));
  const std::string text = "Check & download a newer version of the program from the maker's web server";
  EXPECT_NE(ui.AddBalloonTip(kWindow, 22, text, 180), 0);
  EXPECT_EQ(ui.AddBalloonTip(kWindow, 99, text, 180), 0) << "no such gadget";
  auto* balloon = window->findChild<platform::qt::BalloonTip*>();
  ASSERT_NE(balloon, nullptr);
  QWidget* button = ChildWithText<QPushButton>(window, "@");
  QHelpEvent hover(QEvent::ToolTip, {5, 5}, button->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(button, &hover);
  EXPECT_TRUE(balloon->isVisible());
  const QFontMetrics metrics(balloon->font());
  EXPECT_GT(metrics.horizontalAdvance(QString::fromStdString(text)), 180);
  EXPECT_LE(balloon->width(), 180 + 2 * 8);
  EXPECT_GE(balloon->height(), 3 * metrics.lineSpacing()) << "wrapped onto more lines";
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(button, &leave);
  EXPECT_FALSE(balloon->isVisible());
}

TEST_F(QtPlatformTest, ClipboardTextRoundTrips) {
  const std::string text = "caf\xC3\xA9\r\nline two\n";
  EXPECT_TRUE(ui.SetClipboardText(text));
  EXPECT_EQ(ui.GetClipboardText(), text);
  QGuiApplication::clipboard()->clear();
  EXPECT_EQ(ui.GetClipboardText(), std::nullopt);
}

TEST_F(QtPlatformTest, FileRequesterGivesTheAbsolutePathTypedOrNothingWhenCancelled) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const std::string start = folder.path().toStdString() + "/";
  struct Case {
    platform::RequesterKind kind;
    QString typed;  // empty: cancel
    std::string expected;
  } cases[] = {
      {platform::RequesterKind::Open, "new.txt", start + "new.txt"},
      {platform::RequesterKind::Save, "picture", start + "picture"},
      {platform::RequesterKind::Save, "", ""},
  };
  for (const Case& c : cases) {
    QStringList filters;
    QString selected;
    AnswerNextModal([&](QWidget* modal) {
      auto* dialog = qobject_cast<QFileDialog*>(modal);
      ASSERT_NE(dialog, nullptr);
      filters = dialog->nameFilters();
      selected = dialog->selectedNameFilter();
      if (c.typed.isEmpty()) return dialog->reject();
      dialog->findChild<QLineEdit*>("fileNameEdit")->setText(c.typed);
      QMetaObject::invokeMethod(dialog, "accept");
    });
    const std::string chosen = ui.FileRequester({c.kind, "Choose", start, "Text (*.txt)|*.txt|Other|*.*", 1});
    EXPECT_EQ(chosen, c.expected);
    EXPECT_EQ(filters, QStringList({"Text (*.txt)", "Other (*.*)"}));
    EXPECT_EQ(selected, "Other (*.*)");
  }
}

TEST_F(QtPlatformTest, FileRequesterRefusesAFileInAMissingFolder) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  bool warned = false;
  bool stayedOpen = false;
  AnswerNextModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QLineEdit*>("fileNameEdit")->setText("missing/file.txt");
    AnswerNextModal([&](QWidget* warning) {
      warned = qobject_cast<QMessageBox*>(warning) != nullptr;
      if (warning != nullptr) static_cast<QDialog*>(warning)->done(0);
    });
    QMetaObject::invokeMethod(dialog, "accept");
    stayedOpen = dialog->isVisible();
    dialog->reject();
  });
  EXPECT_EQ(ui.FileRequester({platform::RequesterKind::Open, "Choose", folder.path().toStdString() + "/", ""}), "");
  EXPECT_TRUE(warned);
  EXPECT_TRUE(stayedOpen);
}

TEST(QtMessageBoxLook, TypeValuePicksButtonsAndIcon) {
  struct Case {
    unsigned type;
    QMessageBox::Icon icon;
    bool yesNo;
  } cases[] = {
      {0x00, QMessageBox::NoIcon, false},      {0x04, QMessageBox::NoIcon, true},
      {0x10, QMessageBox::Critical, false},    {0x24, QMessageBox::Question, true},
      {0x30, QMessageBox::Warning, false},     {0x40, QMessageBox::Information, false},
      {0x50, QMessageBox::Information, false}, {0x70, QMessageBox::Warning, false},
      {0x34, QMessageBox::Warning, true},
  };
  for (const Case& c : cases) {
    const platform::qt::MessageBoxLook look = platform::qt::LookForType(c.type);
    EXPECT_EQ(look.icon, c.icon) << std::hex << c.type;
    EXPECT_EQ(look.yesNo, c.yesNo) << std::hex << c.type;
  }
}

TEST_F(QtPlatformTest, MessageBoxAnswersAndShowsPlainText) {
  struct Case {
    unsigned type;
    QMessageBox::StandardButton press;  // NoButton: closed with Escape
    int answer;
  } cases[] = {
      {0x40, QMessageBox::Ok, platform::kAnswerOk},
      {0x24, QMessageBox::Yes, platform::kAnswerYes},
      {0x24, QMessageBox::No, platform::kAnswerNo},
      {0x24, QMessageBox::NoButton, platform::kAnswerNo},
  };
  for (const Case& c : cases) {
    Qt::TextFormat format = Qt::RichText;
    QString shown;
    AnswerNextModal([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      ASSERT_NE(box, nullptr);
      format = box->textFormat();
      shown = box->text();
      if (c.press == QMessageBox::NoButton) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(box, &escape);
      } else {
        box->button(c.press)->click();
      }
    });
    EXPECT_EQ(ui.ShowMessageBox("Info", "File <b>a&b</b> saved", c.type), c.answer);
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(shown, "File <b>a&b</b> saved");
  }
}

// The progress popup is kept above the main window as its transient, never
// by staying on top of everything, which would put it over message boxes.
TEST_F(QtPlatformTest, PopupStaysAboveItsOwnerOnlyAndOutlivesItHarmlessly) {
  QWidget* main = OpenMain();
  ASSERT_TRUE(ui.OpenWindow({15, "", 292, 30, platform::kPopup, true, 0, 0, kWindow}));
  QWidget* popup = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->isVisible() && w->size() == QSize(292, 30)) popup = w;
  }
  ASSERT_NE(popup, nullptr);
  EXPECT_FALSE(popup->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  ASSERT_NE(popup->windowHandle(), nullptr);
  EXPECT_EQ(popup->windowHandle()->transientParent(), main->windowHandle());
  ui.CloseWindow(kWindow);  // the owner goes first: the popup stays usable
  EXPECT_TRUE(ui.IsWindowOpen(15));
  ui.CloseWindow(15);
}

TEST_F(QtPlatformTest, MessageBoxIsWideEnoughForItsTitle) {
  const std::string title = "Erreur lors de l'enregistrement du fichier";
  int boxWidth = 0;
  int titleWidth = 0;
  AnswerNextModal([&](QWidget* modal) {
    ASSERT_NE(modal, nullptr);
    boxWidth = modal->width();
    QFont bold = QApplication::font();
    bold.setBold(true);
    titleWidth = QFontMetrics(bold).horizontalAdvance(QString::fromStdString(title));
    static_cast<QDialog*>(modal)->accept();
  });
  ui.ShowMessageBox(title, "x", platform::kMbOk);
  EXPECT_GT(titleWidth, 0);
  EXPECT_GE(boxWidth, titleWidth + 100) << "room for the title and the title bar's boxes";
}

// Qt's own texts follow the language: the message box buttons and the file
// requester's labels.
TEST_F(QtPlatformTest, PlatformTextsSpeakTheChosenLanguage) {
  struct Case {
    const char* code;
    const char* yes;
    const char* lookIn;
  } cases[] = {{"fr", "&Oui", "Voir dans :"}, {"de", "&Ja", "Suchen in:"}, {"en", "&Yes", "Look in:"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    ui.SetPlatformLanguage(c.code);
    QString yes;
    AnswerNextModal([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      ASSERT_NE(box, nullptr);
      yes = box->button(QMessageBox::Yes)->text();
      box->button(QMessageBox::No)->click();
    });
    ui.ShowMessageBox("@", "?", platform::kMbYesNo);
    EXPECT_EQ(yes, QString::fromUtf8(c.yes));
    QString lookIn;
    AnswerNextModal([&](QWidget* modal) {
      ASSERT_NE(modal, nullptr);
      if (auto* label = modal->findChild<QLabel*>("lookInLabel")) lookIn = label->text();
      static_cast<QDialog*>(modal)->reject();
    });
    ui.FileRequester({platform::RequesterKind::Open, "Choose", "/", ""});
    EXPECT_EQ(lookIn, QString::fromUtf8(c.lookIn));
  }
}

TEST_F(QtPlatformTest, DroppedLocalFileArrivesAsAFileDropOfItsWindow) {
  QWidget* window = OpenMain();
  ui.AcceptFileDrops(kWindow);
  EXPECT_TRUE(window->acceptDrops());
  const QString local = QStringLiteral("/tmp/dropped folder/caf\u00e9.txt");
  QMimeData web;
  web.setUrls({QUrl(QStringLiteral("http://example.invalid/a.txt"))});
  QMimeData files;
  files.setUrls({QUrl::fromLocalFile(local), QUrl::fromLocalFile(QStringLiteral("/tmp/second.png"))});
  for (QMimeData* data : {&web, &files}) {
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &enter);
    EXPECT_EQ(enter.isAccepted(), data == &files);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &drop);
  }
  ASSERT_TRUE(ui.CreateGadget({kWindow, 4, GadgetKind::Button, 20, 195, 300, 45, "after", -1, false, true}));
  ChildWithText<QPushButton>(window, "after")->click();
  const Event dropped = ui.WaitEvent();
  EXPECT_EQ(dropped.kind, EventKind::FileDrop);
  EXPECT_EQ(dropped.window, kWindow);
  EXPECT_EQ(dropped.path, "/tmp/dropped folder/caf\xC3\xA9.txt");
  EXPECT_EQ(ui.WaitEvent().kind, EventKind::Gadget) << "the web address was refused";
}


TEST(QtNameFilters, PatternListBecomesQtFilters) {
  struct Case {
    std::string pattern;
    QStringList filters;
  } cases[] = {
      {"", {}},
      {"PNG|*.png", {"PNG (*.png)"}},
      {"Pictures|*.png;*.jpg|All|*.*", {"Pictures (*.png *.jpg)", "All (*.*)"}},
      {"Text (*.txt)|*.txt|Other (*.*)|*.*", {"Text (*.txt)", "Other (*.*)"}},
      {"Lonely label", {"Lonely label (*)"}},
  };
  for (const Case& c : cases) EXPECT_EQ(platform::qt::NameFiltersFromPattern(c.pattern), c.filters) << c.pattern;
}

}  // namespace
