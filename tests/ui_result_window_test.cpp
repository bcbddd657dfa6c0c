// The result window on the fake backend: its gadgets, its loop, copying and saving.
#include "ui/result_window.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>

#include "tests/support/file_modes.h"
#include "tests/support/job_fixture.h"
#include "ui/main_window.h"

namespace {

namespace fs = std::filesystem;
using fake::ReadWholeFile;
using fake::WriteWholeFile;
using platform::GadgetKind;

// A Windows-1252 text with CR LF line ends: what an old text file holds.
const std::string kLatinText = "na\xEFve caf\xE9\r\nsecond line\r\n";

class ResultWindowTest : public fake::JobFixture {
 protected:
  ResultWindowTest() {
    fs::create_directories(dir / "texts");
    session.decodedText = kLatinText;
    ui::OpenProgressWindow(session);
  }

  // Runs the window's loop: each time it waits, the next step runs and
  // pushes one event; when the steps are used up, window 11 is closed.
  void RunSteps(std::vector<std::function<void()>> steps) {
    std::size_t next = 0;
    platform.onIdle = [&] {
      if (next < steps.size()) {
        steps[next++]();
      } else {
        platform.PushClose(ui::kResultWindow);
      }
    };
    ui::RunResultWindow(session);
    platform.onIdle = nullptr;
  }
  std::function<void()> Click(int gadget) {
    return [this, gadget] { platform.PushClick(ui::kResultWindow, gadget); };
  }
  std::function<void()> EditThenClick(std::string text, int gadget) {
    return [this, text, gadget] {
      platform.UserEdits(ui::kResultEditor, text);
      platform.PushClick(ui::kResultWindow, gadget);
    };
  }

  const app::MessageCatalogue& texts = session.catalogue;
};

TEST_F(ResultWindowTest, OpensWithItsGadgetsAndTheTextShown) {
  std::vector<platform::GadgetSpec> specs;
  std::string shown;
  platform.onIdle = [&] {
    for (const fake::GadgetRecord* g : platform.GadgetsOf(ui::kResultWindow)) specs.push_back(g->spec);
    shown = platform.GetGadgetText(ui::kResultEditor);
    EXPECT_FALSE(platform.IsWindowOpen(ui::kProgressWindow));
    platform.PushClose(ui::kResultWindow);
  };
  ui::RunResultWindow(session);

  const platform::WindowSpec& window = platform.windows.at(ui::kResultWindow).spec;
  EXPECT_EQ(window.title, "Result");
  EXPECT_EQ(std::tie(window.clientWidth, window.clientHeight, window.centred, window.x, window.y),
            std::make_tuple(640, 660, false, 330, 155));
  EXPECT_EQ(window.style, unsigned(platform::kTitleBar | platform::kSystemMenu));
  struct Expected {
    int number;
    GadgetKind kind;
    int y;
    int height;
    std::string text;
  };
  const Expected expected[] = {{ui::kResultEditor, GadgetKind::Editor, 5, 550, shown},
                               {ui::kCopyTextButton, GadgetKind::Button, 560, 45, texts.MsgCopyText},
                               {ui::kSaveTextButton, GadgetKind::Button, 610, 45, texts.MsgSaveText}};
  ASSERT_EQ(specs.size(), 3u);
  for (std::size_t i = 0; i < specs.size(); ++i) {
    SCOPED_TRACE(expected[i].number);
    EXPECT_EQ(specs[i].number, expected[i].number);
    EXPECT_EQ(specs[i].kind, expected[i].kind);
    EXPECT_EQ(std::tie(specs[i].x, specs[i].y, specs[i].width, specs[i].height),
              std::make_tuple(5, expected[i].y, 630, expected[i].height));
    EXPECT_EQ(specs[i].flat, expected[i].kind == GadgetKind::Button);
    if (i > 0) {
      EXPECT_EQ(specs[i].text, expected[i].text);
    }
  }
  EXPECT_EQ(shown, "na\xC3\xAFve caf\xC3\xA9\nsecond line\n");
}

TEST_F(ResultWindowTest, TakesEveryEventAndACloseRequestOfAnyWindowEndsIt) {
  std::vector<std::function<void()>> steps;
  for (int gadget : {ui::kTextFileButton, ui::kImageFileButton, ui::kClipboardButton, ui::kUpdateButton,
                     ui::kInfoButton}) {
    steps.push_back([this, gadget] { platform.PushClick(ui::kMainWindow, gadget); });
  }
  steps.push_back([this] { platform.PushEvent({platform::EventKind::Other, ui::kMainWindow, -1}); });
  steps.push_back([this] { platform.PushClose(ui::kMainWindow); });
  steps.push_back([] { ADD_FAILURE() << "the loop went on after the close request"; });
  RunSteps(steps);
  EXPECT_FALSE(platform.IsWindowOpen(ui::kResultWindow));
  EXPECT_TRUE(platform.IsWindowOpen(ui::kMainWindow));
  EXPECT_EQ(platform.windows.at(ui::kMainWindow).showAgainCount, 1);
  EXPECT_TRUE(platform.requesters.empty());
  EXPECT_TRUE(platform.messageBoxes.empty());
  EXPECT_EQ(FinalStatus(), texts.MsgCompleted);
}

// The clipboard holds text in the system's code page, UTF-8: a Windows-1252
// text is copied as its characters, line ends kept; DecodedText keeps the bytes.
TEST_F(ResultWindowTest, CopyGivesTheTextBackExactlyOrAsEdited) {
  std::vector<std::optional<std::string>> copied;
  platform.onMessageBox = [&](const fake::MessageBoxCall&) { copied.push_back(platform.clipboard); };
  RunSteps({Click(ui::kCopyTextButton), EditThenClick("caf\xC3\xA9 \xE2\x82\xAC\nend", ui::kCopyTextButton)});
  EXPECT_EQ(copied, (std::vector<std::optional<std::string>>{
                        "na\xC3\xAFve caf\xC3\xA9\r\nsecond line\r\n", "caf\xC3\xA9 \xE2\x82\xAC\r\nend"}));
  ASSERT_EQ(platform.messageBoxes.size(), 2u);
  for (const fake::MessageBoxCall& box : platform.messageBoxes) {
    EXPECT_EQ(box.title, "OK");
    EXPECT_EQ(box.text, texts.MsgTextCopied);
    EXPECT_EQ(box.type, unsigned(platform::kMbOk));
  }
  EXPECT_EQ(session.decodedText, "caf\xE9 \x80\r\nend");
}

TEST_F(ResultWindowTest, FailedCopyIsReportedAsAnError) {
  platform.clipboardWritable = false;
  RunSteps({Click(ui::kCopyTextButton)});
  ASSERT_EQ(platform.messageBoxes.size(), 1u);
  EXPECT_EQ(platform.messageBoxes[0].title, texts.MsgError);
  EXPECT_EQ(platform.messageBoxes[0].text, texts.MsgError);
}

TEST_F(ResultWindowTest, SaveWritesTheBytesAndLeavesTheLastFolderAlone) {
  StoreFolder(Folder("texts"), app::kTextFolder);
  fs::create_directories(dir / "out");
  platform.requesterAnswers = {Path("out/notes"), Path("out/edited.TXT")};
  RunSteps({Click(ui::kSaveTextButton), EditThenClick("changed\nlines", ui::kSaveTextButton)});

  EXPECT_EQ(ReadWholeFile(Path("out/notes.txt")), kLatinText);
  EXPECT_EQ(ReadWholeFile(Path("out/edited.TXT")), "changed\r\nlines");
  ASSERT_EQ(platform.requesters.size(), 2u);
  for (const platform::RequesterSpec& spec : platform.requesters) {
    EXPECT_EQ(spec.kind, platform::RequesterKind::Save);
    EXPECT_EQ(spec.title, texts.MsgChooseName);
    EXPECT_EQ(spec.pattern, texts.MsgSaveTextPattern);
    EXPECT_EQ(spec.selectedPattern, 0);
    EXPECT_EQ(spec.startPath, Folder("texts"));
  }
  ASSERT_EQ(platform.messageBoxes.size(), 2u);
  EXPECT_EQ(platform.messageBoxes[0].title, "Info");
  EXPECT_EQ(platform.messageBoxes[0].text, "File " + Path("out/notes.txt") + " has been saved");
  EXPECT_EQ(platform.messageBoxes[0].type, 0x50u);
  EXPECT_EQ(LastFolder(app::kTextFolder), Folder("texts"));
}

TEST_F(ResultWindowTest, CancelledSaveSetsCanceledAndTheWindowStays) {
  bool tookAnotherEvent = false;
  RunSteps({Click(ui::kSaveTextButton), [&] {
              tookAnotherEvent = true;
              EXPECT_EQ(platform.GetGadgetText(ui::kStatusLine), texts.MsgCanceled);
              platform.PushClose(ui::kResultWindow);
            }});
  EXPECT_TRUE(tookAnotherEvent);
  EXPECT_EQ(platform.threadsStarted, 1);  // only the final MsgCompleted blinks
  EXPECT_TRUE(platform.messageBoxes.empty());
}

// The box names the file and the system's reason under the catalogue's
// text, and the status line shows the failure.
TEST_F(ResultWindowTest, UnwritableSaveNamesTheFileAndReasonAndShowsTheFailure) {
  const std::string protectedFile = Path("texts/protected.txt");
  WriteWholeFile(protectedFile, "keep");
  fake::MakeReadOnly(protectedFile);
  fs::create_directories(dir / "texts" / "folder.txt");
  platform.requesterAnswers = {protectedFile, Path("texts/folder.txt")};
  std::vector<std::string> statusAtBox;
  platform.onMessageBox = [&](const fake::MessageBoxCall&) {
    statusAtBox.push_back(platform.GetGadgetText(ui::kStatusLine));
  };
  RunSteps({Click(ui::kSaveTextButton), Click(ui::kSaveTextButton)});
  ASSERT_EQ(platform.messageBoxes.size(), 2u);
  for (const fake::MessageBoxCall& box : platform.messageBoxes) EXPECT_EQ(box.title, texts.MsgError);
  // Refused by the program for the superuser too, with the system's wording of why.
  const std::string protectedReason = std::string(": ") + std::strerror(EACCES);
  EXPECT_EQ(platform.messageBoxes[0].text, texts.MsgError + "\n" + protectedFile + protectedReason);
  EXPECT_EQ(platform.messageBoxes[1].text,
            texts.MsgError + "\n" + Path("texts/folder.txt") + ": " + std::strerror(EISDIR));
  EXPECT_EQ(statusAtBox, (std::vector<std::string>{texts.MsgError, texts.MsgError}));
  EXPECT_EQ(ReadWholeFile(protectedFile), "keep");
}

// "日本語 ✓" typed into a Windows-1252 text: the code page cannot hold it, so
// the whole text is saved and copied as UTF-8, line ends kept, and the saved
// message says so; an edit the code page can hold stays Windows-1252.
TEST_F(ResultWindowTest, TypedCharactersOutsideWindows1252AreSavedAsUtf8AndTheUserIsTold) {
  fs::create_directories(dir / "out");
  platform.requesterAnswers = {Path("out/typed.txt"), Path("out/latin.txt")};
  const std::string typed = "na\xC3\xAFve caf\xC3\xA9\n\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xE2\x9C\x93\n";
  const std::string typedUtf8 =
      "na\xC3\xAFve caf\xC3\xA9\r\n\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xE2\x9C\x93\r\n";
  std::optional<std::string> copied;
  RunSteps({EditThenClick(typed, ui::kSaveTextButton), Click(ui::kCopyTextButton),
            [&] {
              copied = platform.clipboard;
              platform.UserEdits(ui::kResultEditor, "caf\xC3\xA9 \xE2\x82\xAC\n");
              platform.PushClick(ui::kResultWindow, ui::kSaveTextButton);
            }});
  EXPECT_EQ(ReadWholeFile(Path("out/typed.txt")), typedUtf8);
  EXPECT_EQ(copied, typedUtf8);
  EXPECT_EQ(ReadWholeFile(Path("out/latin.txt")), "caf\xE9 \x80\r\n");
  ASSERT_EQ(platform.messageBoxes.size(), 3u);
  EXPECT_EQ(platform.messageBoxes[0].text,
            "File " + Path("out/typed.txt") + " has been saved" + texts.MsgSavedAsUtf8);
  EXPECT_EQ(platform.messageBoxes[2].text, "File " + Path("out/latin.txt") + " has been saved");
}

TEST_F(ResultWindowTest, SavingRunsWithTheWindowsKeptPainted) {
  fs::create_directories(dir / "out");
  platform.requesterAnswers = {Path("out/notes.txt")};
  RunSteps({Click(ui::kSaveTextButton)});
  ASSERT_EQ(platform.paintedRuns.size(), 1u);
  EXPECT_EQ(platform.paintedRuns[0], (std::vector<int>{ui::kMainWindow, ui::kResultWindow}));
  EXPECT_EQ(ReadWholeFile(Path("out/notes.txt")), kLatinText);
}

TEST_F(ResultWindowTest, WindowThatCannotOpenIsReportedAndEndsTheJob) {
  platform.failWindows = {ui::kResultWindow};
  ui::RunResultWindow(session);  // no event is scripted: a loop would throw
  EXPECT_FALSE(platform.IsWindowOpen(ui::kProgressWindow));
  ASSERT_EQ(platform.messageBoxes.size(), 1u);
  EXPECT_EQ(platform.messageBoxes[0].title, texts.MsgError);
  EXPECT_EQ(platform.threadsStarted, 0);
}

}  // namespace
