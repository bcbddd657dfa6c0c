// One whole road through the real Qt backend: text file -> PNG -> result window -> saved text, bytes compared.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include <deque>
#include <functional>
#include <ostream>
#include <string>

#include "app/message_catalogue.h"
#include "jobs/image_to_text.h"
#include "jobs/text_to_image.h"
#include "tests/support/qt_backend.h"
#include "tests/support/temp_dir.h"
#include "ui/session.h"

namespace {

constexpr int kPollMs = 20;          // how often the script looks at the screen
constexpr int kMaxPolls = 50 * 120;  // a step that never comes fails the test instead of hanging it

// One step of the user: it waits until `ready` holds, then acts.
struct Step {
  std::string name;
  std::function<bool()> ready;
  std::function<void()> act;
};

// Runs the steps from a timer while the jobs run their own loops and dialogues.
class UserScript {
 public:
  explicit UserScript(std::deque<Step> steps) : m_steps(std::move(steps)) {
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
    m_timer.start(kPollMs);
  }
  bool done() const { return m_steps.empty(); }
  std::string stuckAt() const { return m_steps.empty() ? std::string() : m_steps.front().name; }

 private:
  void Poll() {
    if (m_steps.empty()) return;
    if (m_steps.front().ready()) {
      Step step = std::move(m_steps.front());
      m_steps.pop_front();
      m_polls = 0;
      step.act();
    } else if (++m_polls > kMaxPolls) {
      // Give up: dismiss whatever waits, so the jobs can end and the test report.
      if (QWidget* modal = QApplication::activeModalWidget()) static_cast<QDialog*>(modal)->reject();
      for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->windowTitle() == "Result") window->close();
      }
    }
  }

  std::deque<Step> m_steps;
  QTimer m_timer;
  int m_polls = 0;
};

QFileDialog* Requester(const std::string& title) {
  auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
  return dialog != nullptr && dialog->windowTitle() == QString::fromStdString(title) ? dialog : nullptr;
}

Step Choose(const std::string& title, const std::string& path) {
  return {"requester " + title, [title] { return Requester(title) != nullptr; },
          [title, path] {
            QFileDialog* dialog = Requester(title);
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(path));
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
          }};
}

Step AcceptBox(const std::string& title) {
  const auto box = [title] {
    auto* b = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    return b != nullptr && b->windowTitle() == QString::fromStdString(title) ? b : nullptr;
  };
  return {"message box " + title, [box] { return box() != nullptr; },
          [box] { QMetaObject::invokeMethod(box(), "accept", Qt::QueuedConnection); }};
}

QWidget* ResultWindow() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window->isVisible() && window->windowTitle() == "Result") return window;
  }
  return nullptr;
}

QAbstractButton* ButtonIn(QWidget* window, const std::string& caption) {
  for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
    if (button->text() == QString::fromStdString(caption)) return button;
  }
  return nullptr;
}

struct RoadCase {
  const char* name;
  std::string bytes;
};
void PrintTo(const RoadCase& c, std::ostream* os) { *os << c.name; }


class QtRoundTrip : public ::testing::TestWithParam<RoadCase> {};

TEST_P(QtRoundTrip, TextComesBackByteForByteThroughTheRealDialogues) {
  platform::Platform& backend = qttest::Backend();
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string folder = dir.path().toStdString() + "/";
  ui::Session session(backend);
  session.state = app::MakeAppState(folder, folder);
  session.catalogue = app::FillCatalogue(app::kEnglish, session.state.VersionString, session.state.ContactsText);
  const app::MessageCatalogue& texts = session.catalogue;

  const std::string source = folder + "source.txt";
  fake::WriteWholeFile(source, GetParam().bytes);

  UserScript script({
      Choose(texts.MsgLoadText, source),
      Choose(texts.MsgSavePng, folder + "picture"),
      Choose(texts.MsgLoadPng, folder + "picture.png"),
      {"result window", [&] { return ResultWindow() != nullptr && QApplication::activeModalWidget() == nullptr; },
       [&] { ButtonIn(ResultWindow(), texts.MsgSaveText)->click(); }},
      Choose(texts.MsgChooseName, folder + "saved"),
      AcceptBox("Info"),
      {"close", [] { return QApplication::activeModalWidget() == nullptr; }, [] { ResultWindow()->close(); }},
  });
  jobs::TextFileToImage(session);
  jobs::ImageToText(session);

  EXPECT_TRUE(script.done()) << "stuck at " << script.stuckAt();
  EXPECT_EQ(fake::ReadWholeFile(folder + "saved.txt"), GetParam().bytes);
  EXPECT_EQ(session.decodedText, GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, QtRoundTrip,
    ::testing::Values(
        RoadCase{"Utf8", "Gr\xC3\xBC\xC3\x9F" "e, \xE6\x97\xA5\xE6\x9C\xAC \xE2\x82\xAC\xC2\xA0nbsp\nzweite Zeile\n\tend"},
        RoadCase{"Windows1252CrLf", "na\xEFve caf\xE9 \x80 \x81\x8D\r\nsecond line \xA0\r\n\r\nlast\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
