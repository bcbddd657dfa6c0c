// The program's own windows on the real Qt backend: first start, main window, info panel, closing during a blink.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <string>

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <gtest/gtest.h>

#include "app/message_catalogue.h"
#include "program/startup.h"
#include "tests/support/qt_backend.h"
#include "tests/support/temp_settings_dir.h"
#include "ui/language_window.h"
#include "ui/main_window.h"
#include "ui/status_line.h"

namespace {

// The child run gets its directory through this variable; without it the
// child test is skipped.
constexpr const char* kChildVariable = "LETTERLOOM_QT_WINDOWS_CHILD";
constexpr const char* kChildTest = "QtWindowsChild.DISABLED_FirstStartMainWindowAndCloseDuringBlink";
constexpr int kStepPollMs = 10;
// A guard against a hung child, not a measure of speed.
constexpr int kChildGuardMs = 30000;

// In the child a failed check ends the process with a message: the program
// leaves through _Exit, so gtest's own bookkeeping would never be reported.
void Check(bool condition, const std::string& what) {
  if (condition) return;
  std::fprintf(stderr, "CHECK FAILED: %s\n", what.c_str());
  std::fflush(stderr);
  std::_Exit(1);
}

QWidget* VisibleWindow(const QString& title) {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->isVisible() && widget->windowTitle() == title) return widget;
  }
  return nullptr;
}

QAbstractButton* Button(QWidget* window, const QString& text) {
  for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
    // An image button is known by its tooltip, which the backend may wrap in markup.
    const bool tipMatches = button->toolTip() == text || button->toolTip().contains(">" + text + "<");
    if (button->text() == text || (button->text().isEmpty() && tipMatches)) return button;
  }
  return nullptr;
}

void CheckGeometry(QWidget* widget, QRect expected, const std::string& what) {
  Check(widget != nullptr, what + " exists");
  Check(widget->geometry() == expected, what + " geometry");
}

// Steps run in order on the user-interface thread while the program waits
// for events; each waits until it is ready.
struct Step {
  std::function<bool()> ready;
  std::function<void()> act;
};

void RunScript(std::deque<Step>* steps) {
  auto* timer = new QTimer(QApplication::instance());
  QObject::connect(timer, &QTimer::timeout, [steps] {
    if (!steps->empty() && steps->front().ready()) {
      Step step = std::move(steps->front());
      steps->pop_front();
      step.act();
    }
  });
  timer->start(kStepPollMs);
  QTimer::singleShot(kChildGuardMs, [] { Check(false, "script finished in time"); });
}

const QString kMainTitle = "LETTERLOOM by ORVANTO v2.0 beta6";

std::deque<Step> FirstStartScript(ui::Session& session) {
  platform::Platform& platform = session.platform;
  auto status = [] { return VisibleWindow(kMainTitle)->findChild<QTextEdit*>(); };
  return {
      {[] { return VisibleWindow("Letterloom Language") != nullptr; },
       [] {
         QWidget* window = VisibleWindow("Letterloom Language");
         Check(window->size() == QSize(117, 56), "language window client size");
         CheckGeometry(Button(window, QString::fromUtf8(app::kFrench)), {5, 0, 33, 25}, "French flag");
         CheckGeometry(Button(window, "English"), {43, 0, 33, 25}, "British flag");
         CheckGeometry(Button(window, "Deutsch"), {80, 0, 33, 25}, "German flag");
         CheckGeometry(Button(window, "Exit"), {0, 30, 115, 25}, "Exit button");
         Button(window, "English")->click();
       }},
      {[] { return VisibleWindow(kMainTitle) != nullptr; },
       [status] {
         QWidget* window = VisibleWindow(kMainTitle);
         Check(window->size() == QSize(640, 359), "main window client size");
         CheckGeometry(Button(window, "TXT -> PNG"), {20, 195, 300, 45}, "text file button");
         CheckGeometry(Button(window, "CLIPBOARD TXT -> PNG"), {325, 195, 300, 45}, "clipboard button");
         CheckGeometry(Button(window, "PNG -> TXT"), {20, 250, 605, 45}, "image file button");
         CheckGeometry(Button(window, "@"), {600, 305, 25, 25}, "update button");
         CheckGeometry(Button(window, "?"), {20, 305, 25, 25}, "info button");
         CheckGeometry(status(), {48, 304, 547, 25}, "status line");
         Check(status()->toPlainText() == "Convert !", "status line in English");
         Button(window, "?")->click();
       }},
      {[&session] { return session.state.InfoShown == 1; },
       [&platform, &session, status] {
         Check(platform.GetGadgetText(ui::kStatusLine) == session.catalogue.MsgCredits, "credits shown");
         CheckGeometry(status(), {20, 195, 605, 108}, "status line as info panel");
         Check(Button(VisibleWindow(kMainTitle), "TXT -> PNG")->isHidden(), "buttons hidden");
         Button(VisibleWindow(kMainTitle), "?")->click();
       }},
      {[&session] { return session.state.InfoShown == 0; },
       [status] {
         Check(status()->toPlainText() == "Convert !", "panel closed back to Convert !");
         Button(VisibleWindow(kMainTitle), "TXT -> PNG")->click();  // its job blinks
       }},
      {[status] { return status()->toPlainText().isEmpty(); }, [] {}},
      {[status] { return status()->toPlainText() == "Operation completed"; },
       [] { VisibleWindow(kMainTitle)->close(); }},  // a close request while the worker still runs
  };
}

// Disabled, so that only the test below runs it, in a child process of its own.
TEST(QtWindowsChild, DISABLED_FirstStartMainWindowAndCloseDuringBlink) {
  const char* directory = std::getenv(kChildVariable);
  if (directory == nullptr) GTEST_SKIP() << "runs only as the child of QtWindows.*";
  Check(chdir(directory) == 0, "enter the start directory");
  // A child process of its own, so the backend is created here, first.
  platform::Platform* platform = &qttest::Backend();

  // The program's own start-up sequence, with a test job on the text file button.
  std::deque<Step> steps;
  program::StartupHooks hooks;
  hooks.sessionReady = [&steps](ui::Session& session) {
    steps = FirstStartScript(session);
    RunScript(&steps);
  };
  hooks.makeJobs = [](ui::Session& session) {
    ui::MainJobs jobs;
    jobs.textFileToImage = [&session] { ui::BlinkStatus(session, session.catalogue.MsgCompleted); };
    return jobs;
  };
  program::RunProgram(*platform, hooks);
}

std::string SelfPath() {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  return length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string();
}

TEST(QtWindows, FirstStartShowsBothWindowsAndClosingDuringABlinkExitsZero) {
  fake::TempSettingsDir dir;
  const std::string command = std::string(kChildVariable) + "='" + dir.Path() +
                              "' QT_QPA_PLATFORM=offscreen '" + SelfPath() +
                              "' --gtest_also_run_disabled_tests --gtest_filter=" + kChildTest + " 2>&1";
  FILE* child = popen(command.c_str(), "r");
  ASSERT_NE(child, nullptr);
  std::string output;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, child) != nullptr) output += buffer;
  const int status = pclose(child);
  ASSERT_TRUE(WIFEXITED(status)) << output;
  EXPECT_EQ(WEXITSTATUS(status), 0) << output;
  EXPECT_EQ(output.find("CHECK FAILED"), std::string::npos) << output;
  EXPECT_EQ(output.find("[  PASSED  ]"), std::string::npos) << "the program must leave through EndProgram";
  EXPECT_NE(dir.ReadSettings().find("[English]\r\nLNG = 1\r\n"), std::string::npos);
}

}  // namespace
