// TextFileToImage and ClipboardToImage on the fake backend, over real files.
#include "jobs/text_to_image.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <set>

#include "codec/pixel_stream.h"
#include "tests/support/file_modes.h"
#include "tests/support/job_fixture.h"

namespace {

namespace fs = std::filesystem;
using fake::ReadWholeFile;
using fake::WriteWholeFile;
using platform::RequesterKind;

constexpr std::uintmax_t kRefusedSize = 5'242'861;

class TextToImageTest : public fake::JobFixture {
 protected:
  TextToImageTest() {
    fs::create_directories(dir / "texts");
    fs::create_directories(dir / "pngs");
  }
  const app::MessageCatalogue& texts = session.catalogue;
};

TEST_F(TextToImageTest, TextFileBecomesAPngThatDecodesToItsBytes) {
  StoreFolder(Folder("texts"), app::kTextFolder);
  StoreFolder(Folder("pngs"), app::kPngFolder);
  const std::string source = Path("texts/in.txt");
  WriteWholeFile(source, "line one\r\nline \xE9two\r\n");
  platform.requesterAnswers = {source, Path("out")};

  jobs::TextFileToImage(session);

  ASSERT_EQ(platform.requesters.size(), 2u);
  const platform::RequesterSpec& open = platform.requesters[0];
  EXPECT_EQ(open.kind, RequesterKind::Open);
  EXPECT_EQ(open.title, texts.MsgLoadText);
  EXPECT_EQ(open.pattern, texts.MsgTextPattern);
  EXPECT_EQ(open.startPath, Folder("texts"));
  const platform::RequesterSpec& save = platform.requesters[1];
  EXPECT_EQ(save.kind, RequesterKind::Save);
  EXPECT_EQ(save.title, texts.MsgSavePng);
  EXPECT_EQ(save.pattern, texts.MsgPngPattern);
  EXPECT_EQ(save.startPath, Folder("pngs"));

  EXPECT_EQ(Decode(Path("out.png")), "line one\r\nline \xE9two\r\n");
  EXPECT_EQ(platform.delays, std::vector<int>{500});
  EXPECT_EQ(StatusTexts(), (std::vector<std::string>{texts.MsgPleaseWait, texts.MsgCompleted}));
  EXPECT_TRUE(Called("OpenWindow 15"));
  EXPECT_FALSE(platform.IsWindowOpen(ui::kProgressWindow));
  EXPECT_TRUE(platform.messageBoxes.empty());
  EXPECT_EQ(LastFolder(app::kTextFolder), Folder("texts"));
  EXPECT_EQ(LastFolder(app::kPngFolder), temp.Path());
  // Reading, drawing, the pause and the writing all keep the windows
  // painted; the progress window is up while the PNG is written.
  EXPECT_EQ(platform.paintedRuns, (std::vector<std::vector<int>>{{0}, {0}, {0}, {0, ui::kProgressWindow}}));
}

TEST_F(TextToImageTest, DroppedTextFileIsTheChosenSourceAndTheSaveRequesterFollows) {
  StoreFolder(Folder("pngs"), app::kPngFolder);
  const std::string source = Path("texts/dropped.txt");
  WriteWholeFile(source, "dropped \xE9 text");
  platform.requesterAnswers = {Path("pngs/dropped")};
  jobs::TextFileToImage(session, source);
  ASSERT_EQ(platform.requesters.size(), 1u);
  EXPECT_EQ(platform.requesters[0].kind, RequesterKind::Save);
  EXPECT_EQ(platform.requesters[0].startPath, Folder("pngs"));
  EXPECT_EQ(Decode(Path("pngs/dropped.png")), "dropped \xE9 text");
  EXPECT_EQ(LastFolder(app::kTextFolder), Folder("texts"));
  EXPECT_EQ(FinalStatus(), texts.MsgCompleted);
}

TEST_F(TextToImageTest, CancelAtEitherRequesterBlinksCanceledAndWritesNothing) {
  StoreFolder(Folder("texts"), app::kTextFolder);
  WriteWholeFile(Path("pngs/in.txt"), "abc");
  for (bool atOpen : {true, false}) {
    SCOPED_TRACE(atOpen ? "open" : "save");
    platform.requesterAnswers = atOpen ? std::deque<std::string>{""}
                                       : std::deque<std::string>{Path("pngs/in.txt"), ""};
    platform.textChanges.clear();
    jobs::TextFileToImage(session);
    EXPECT_EQ(FinalStatus(), texts.MsgCanceled);
    EXPECT_FALSE(Called("OpenWindow 15"));
    // Only a text that was read is remembered.
    EXPECT_EQ(LastFolder(app::kTextFolder), atOpen ? Folder("texts") : Folder("pngs"));
  }
  EXPECT_EQ(StatusTexts(), (std::vector<std::string>{texts.MsgPleaseWait, texts.MsgCanceled}));
  EXPECT_EQ(fs::directory_iterator(dir / "pngs")->path().filename(), "in.txt");
}

TEST_F(TextToImageTest, TypedNameOfAMissingFileEncodesTheEmptyText) {
  platform.requesterAnswers = {Path("texts/new.txt"), Path("pngs/empty.png")};
  jobs::TextFileToImage(session);
  EXPECT_TRUE(fs::is_regular_file(Path("texts/new.txt")));
  EXPECT_EQ(Decode(Path("pngs/empty.png")), "");
  EXPECT_EQ(session.images.ImageWidth(codec::WorkImage), 160);
  EXPECT_EQ(session.images.ImageHeight(codec::WorkImage), 50);
}

TEST_F(TextToImageTest, WriteProtectedTextFileIsConverted) {
  const std::string source = Path("texts/protected.txt");
  WriteWholeFile(source, "read only");
  fake::MakeReadOnly(source);
  platform.requesterAnswers = {source, Path("pngs/out.png")};
  jobs::TextFileToImage(session);
  EXPECT_EQ(Decode(Path("pngs/out.png")), "read only");
  EXPECT_EQ(ReadWholeFile(source), "read only");
}

TEST_F(TextToImageTest, SaveNamesFollowTheExtensionRule) {
  WriteWholeFile(Path("texts/in.txt"), "x");
  const std::pair<const char*, const char*> cases[] = {
      {"pngs/a", "pngs/a.png"}, {"pngs/b.PNG", "pngs/b.PNG"}, {"pngs/c.jpg", "pngs/c.jpg.png"}};
  for (const auto& [answer, written] : cases) {
    platform.requesterAnswers = {Path("texts/in.txt"), Path(answer)};
    jobs::TextFileToImage(session);
    EXPECT_EQ(Decode(Path(written)), "x") << answer;
  }
}

// Both jobs leave "Please Wait" in the status line while the save requester
// is up; a failed write must replace it with the failure, and the box must
// say which file failed and why.
TEST_F(TextToImageTest, FailedWriteNamesTheFileAndReasonAndTheStatusShowsTheFailure) {
  StoreFolder(Folder("pngs"), app::kPngFolder);
  WriteWholeFile(Path("texts/in.txt"), "abc");
  fs::create_directories(dir / "texts" / "taken.png");
  platform.clipboard = "clip";
  for (const bool fromClipboard : {false, true}) {
    SCOPED_TRACE(fromClipboard ? "clipboard job" : "text file job");
    platform.messageBoxes.clear();
    platform.textChanges.clear();
    if (fromClipboard) {
      platform.requesterAnswers = {Path("texts/taken.png")};
      jobs::ClipboardToImage(session);
    } else {
      platform.requesterAnswers = {Path("texts/in.txt"), Path("texts/taken.png")};
      jobs::TextFileToImage(session);
    }
    ASSERT_EQ(platform.messageBoxes.size(), 1u);
    EXPECT_EQ(platform.messageBoxes[0].title, texts.MsgError);
    EXPECT_EQ(platform.messageBoxes[0].text,
              texts.MsgError + "\n" + Path("texts/taken.png") + ": " + std::strerror(EISDIR));
    EXPECT_FALSE(platform.IsWindowOpen(ui::kProgressWindow));
    EXPECT_EQ(StatusTexts().back(), texts.MsgError) << "never Please Wait after a failure";
    EXPECT_EQ(FinalStatus(), texts.MsgError);
  }
  EXPECT_EQ(LastFolder(app::kPngFolder), Folder("pngs"));
}

TEST_F(TextToImageTest, TooLargeTextFileShowsAlertAndEndsTheProgram) {
  const std::string source = Path("texts/huge.txt");
  WriteWholeFile(source, "");
  fs::resize_file(source, kRefusedSize);
  platform.requesterAnswers = {source, Path("pngs/out.png")};
  const auto ended = fake::RunUntilEnd([&] { jobs::TextFileToImage(session); });
  EXPECT_EQ(ended, 0);
  ASSERT_EQ(platform.messageBoxes.size(), 1u);
  EXPECT_EQ(platform.messageBoxes[0].title, "Alert");
  EXPECT_EQ(platform.messageBoxes[0].text, texts.MsgTooManyChars);
  EXPECT_EQ(platform.requesters.size(), 1u);
  EXPECT_EQ(LastFolder(app::kTextFolder), Folder("texts"));
}

TEST_F(TextToImageTest, SecondConversionLeavesOpaqueBlackAfterItsStream) {
  WriteWholeFile(Path("texts/long.txt"), std::string(2000, 'L'));
  WriteWholeFile(Path("texts/short.txt"), "s");
  platform.requesterAnswers = {Path("texts/long.txt"), Path("pngs/long.png"), Path("texts/short.txt"),
                               Path("pngs/short.png")};
  jobs::TextFileToImage(session);
  jobs::TextFileToImage(session);
  EXPECT_EQ(Decode(Path("pngs/short.png")), "s");
  const codec::Image* image = session.images.Find(codec::WorkImage);
  ASSERT_NE(image, nullptr);
  const std::vector<std::uint8_t> rgba = codec::ToRgba(*image);
  // Stream pixels 0..5 lie in row 1 at x 1..6; everything after is untouched.
  for (int x = 7; x < 160; ++x) {
    const std::size_t at = (static_cast<std::size_t>(1) * 160 + x) * 4;
    ASSERT_EQ((std::vector<std::uint8_t>(rgba.begin() + at, rgba.begin() + at + 4)),
              (std::vector<std::uint8_t>{0, 0, 0, 255}))
        << "x " << x;
  }
}

TEST_F(TextToImageTest, ClipboardTextBecomesAPngAndItsScratchFileGoes) {
  StoreFolder(Folder("texts"), app::kTextFolder);
  StoreFolder(Folder("pngs"), app::kPngFolder);
  platform.clipboard = std::string("first\r\nsecond\0ignored", 21);
  platform.requesterAnswers = {Path("texts/clip")};
  jobs::ClipboardToImage(session);

  EXPECT_EQ(Decode(Path("texts/clip.png")), "first\r\nsecond");
  EXPECT_FALSE(fs::exists(session.state.ScratchPath));
  ASSERT_EQ(platform.requesters.size(), 1u);
  EXPECT_EQ(platform.requesters[0].startPath, Folder("texts"));
  EXPECT_EQ(platform.delays, std::vector<int>{500});
  EXPECT_EQ(FinalStatus(), texts.MsgCompleted);
  EXPECT_EQ(StatusTexts().front(), texts.MsgPleaseWait);
  EXPECT_EQ(LastFolder(app::kTextFolder), Folder("texts"));
  EXPECT_EQ(LastFolder(app::kPngFolder), Folder("pngs"));
}

TEST_F(TextToImageTest, ClipboardWithoutTextShowsTheErrorBox) {
  for (const std::optional<std::string>& clipboard : {std::optional<std::string>(), std::optional<std::string>("")}) {
    platform.clipboard = clipboard;
    platform.messageBoxes.clear();
    jobs::ClipboardToImage(session);
    ASSERT_EQ(platform.messageBoxes.size(), 1u);
    EXPECT_EQ(platform.messageBoxes[0].title, texts.MsgError);
    EXPECT_EQ(platform.messageBoxes[0].text, texts.MsgClipboardEmpty);
  }
  EXPECT_TRUE(platform.requesters.empty());
  EXPECT_FALSE(fs::exists(session.state.ScratchPath));
}

TEST_F(TextToImageTest, TooLargeClipboardTextEndsTheProgramWithoutLeavingTheScratchFile) {
  platform.clipboard = std::string(kRefusedSize, 'x');
  bool scratchAtAlert = true;
  platform.onMessageBox = [&](const fake::MessageBoxCall&) { scratchAtAlert = fs::exists(session.state.ScratchPath); };
  const auto ended = fake::RunUntilEnd([&] { jobs::ClipboardToImage(session); });
  EXPECT_EQ(ended, 0);
  ASSERT_EQ(platform.messageBoxes.size(), 1u);
  EXPECT_EQ(platform.messageBoxes[0].title, "Alert");
  EXPECT_FALSE(scratchAtAlert);
}

// Whatever holds the scratch file's name, the job neither touches it nor
// ends silently: the text goes through a private folder, which goes too.
TEST_F(TextToImageTest, ClipboardJobWorksAroundATakenScratchName) {
  const std::string victim = Path("victim");
  WriteWholeFile(victim, "keep");
  // Each makes the name taken; false when it cannot be made here (a link under Wine).
  const std::function<bool()> takers[] = {
      [&] { return fake::MakeSymlink(victim, session.state.ScratchPath); },
      [&] { return WriteWholeFile(session.state.ScratchPath, "another user's or an older text"), true; },
  };
  for (const auto& take : takers) {
    if (!take()) continue;
    const std::set<std::string> before = temp.Entries();
    const std::string taker = ReadWholeFile(session.state.ScratchPath);
    platform.clipboard = "secret";
    platform.requesterAnswers = {Path("clip.png")};
    jobs::ClipboardToImage(session);
    EXPECT_EQ(Decode(Path("clip.png")), "secret");
    EXPECT_TRUE(platform.messageBoxes.empty());
    EXPECT_EQ(ReadWholeFile(victim), "keep");
    EXPECT_EQ(ReadWholeFile(session.state.ScratchPath), taker);
    std::set<std::string> after = temp.Entries();
    after.erase("clip.png");
    after.erase("prefs.lng");
    std::set<std::string> expected = before;
    expected.erase("clip.png");
    expected.erase("prefs.lng");
    EXPECT_EQ(after, expected) << "the private folder is gone";
    fs::remove(session.state.ScratchPath);
  }
}

TEST_F(TextToImageTest, ClipboardJobThatCannotMakeItsScratchFileSaysWhy) {
  session.state.ScratchPath = Path("no-folder/letterloomtemp");
  platform.clipboard = "secret";
  jobs::ClipboardToImage(session);
  ASSERT_EQ(platform.messageBoxes.size(), 1u);
  EXPECT_EQ(platform.messageBoxes[0].title, texts.MsgError);
  EXPECT_EQ(platform.messageBoxes[0].text, texts.MsgError + ": No such file or directory");
  EXPECT_TRUE(platform.requesters.empty());
}

}  // namespace
