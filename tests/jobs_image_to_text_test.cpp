// ImageToText on the fake backend: the requester, the silent ends, the hand-over to the result window.
#include "jobs/image_to_text.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "jobs/text_to_image.h"
#include "tests/support/file_modes.h"
#include "tests/support/job_fixture.h"
#include "ui/result_window.h"

namespace {

namespace fs = std::filesystem;
using fake::WriteWholeFile;

class ImageToTextTest : public fake::JobFixture {
 protected:
  ImageToTextTest() { fs::create_directories(dir / "pngs"); }

  // Writes a PNG holding `text` through the text-file job.
  std::string MakePng(const std::string& name, const std::string& text) {
    WriteWholeFile(Path(name + ".txt"), text);
    platform.requesterAnswers = {Path(name + ".txt"), Path(name + ".png")};
    jobs::TextFileToImage(session);
    platform.calls.clear();
    platform.requesters.clear();
    platform.paintedRuns.clear();
    platform.FlushPosted();
    return Path(name + ".png");
  }

  // What the result editor showed when the window's loop first waited.
  std::string RunShowing() {
    std::string shown = "<no result window>";
    platform.onIdle = [&] {
      if (platform.IsWindowOpen(ui::kResultWindow)) shown = platform.GetGadgetText(ui::kResultEditor);
      platform.PushClose(ui::kResultWindow);
      platform.onIdle = nullptr;
    };
    jobs::ImageToText(session);
    return shown;
  }
};

TEST_F(ImageToTextTest, DecodedTextReachesTheResultWindow) {
  const std::string png = MakePng("pngs/note", "caf\xE9\r\nbar");
  StoreFolder(Folder("pngs"), app::kPngFolder);
  fs::create_directories(dir / "other");
  const std::string moved = Path("other/note.png");
  fs::rename(png, moved);
  fake::MakeReadOnly(moved);  // read access is all the job needs
  platform.requesterAnswers = {moved};

  EXPECT_EQ(RunShowing(), "caf\xC3\xA9\nbar");
  EXPECT_EQ(session.decodedText, "caf\xE9\r\nbar");

  ASSERT_EQ(platform.requesters.size(), 1u);
  EXPECT_EQ(platform.requesters[0].kind, platform::RequesterKind::Open);
  EXPECT_EQ(platform.requesters[0].title, session.catalogue.MsgLoadPng);
  EXPECT_EQ(platform.requesters[0].pattern, session.catalogue.MsgImagePattern);
  EXPECT_EQ(platform.requesters[0].startPath, Folder("pngs"));
  EXPECT_EQ(LastFolder(app::kPngFolder), Folder("other"));
  // The progress window stays until the result window is open.
  const auto at = [&](const std::string& call) {
    return std::find(platform.calls.begin(), platform.calls.end(), call) - platform.calls.begin();
  };
  EXPECT_LT(at("OpenWindow 15"), at("OpenWindow 11"));
  EXPECT_LT(at("OpenWindow 11"), at("CloseWindow 15"));
  EXPECT_EQ(session.images.Find(codec::WorkImage), nullptr);
  // Loading and decoding keep the windows painted, the decoding with the
  // progress window up.
  EXPECT_EQ(platform.paintedRuns, (std::vector<std::vector<int>>{{0}, {0, ui::kProgressWindow}}));
}

TEST_F(ImageToTextTest, DroppedPngIsDecodedWithoutTheRequester) {
  const std::string png = MakePng("pngs/dropped", "dropped\r\ntext");
  std::string shown = "<no result window>";
  platform.onIdle = [&] {
    if (platform.IsWindowOpen(ui::kResultWindow)) shown = platform.GetGadgetText(ui::kResultEditor);
    platform.PushClose(ui::kResultWindow);
  };
  jobs::ImageToText(session, png);
  EXPECT_EQ(shown, "dropped\ntext");
  EXPECT_TRUE(platform.requesters.empty());
  EXPECT_EQ(LastFolder(app::kPngFolder), Folder("pngs"));
}

TEST_F(ImageToTextTest, CancelledRequesterEndsSilently) {
  StoreFolder(Folder("pngs"), app::kPngFolder);
  session.decodedText = "older text";
  platform.requesterAnswers = {""};
  jobs::ImageToText(session);
  EXPECT_FALSE(Called("OpenWindow 15"));
  EXPECT_FALSE(Called("OpenWindow 11"));
  EXPECT_TRUE(platform.messageBoxes.empty());
  EXPECT_TRUE(StatusTexts().empty());
  EXPECT_EQ(LastFolder(app::kPngFolder), Folder("pngs"));
}

TEST_F(ImageToTextTest, UnopenablePathEndsSilently) {
  platform.requesterAnswers = {Path("no-folder/x.png")};
  jobs::ImageToText(session);
  EXPECT_FALSE(Called("OpenWindow 15"));
  EXPECT_TRUE(platform.messageBoxes.empty());
}

TEST_F(ImageToTextTest, TypedNameOfAMissingFileGivesAnEmptyResult) {
  MakePng("pngs/earlier", "a text from before");
  platform.requesterAnswers = {Path("pngs/typed.png")};
  session.decodedText = "a text from before";
  EXPECT_EQ(RunShowing(), "");
  EXPECT_TRUE(fs::is_regular_file(Path("pngs/typed.png")));
  EXPECT_EQ(fs::file_size(Path("pngs/typed.png")), 0u);
}

TEST_F(ImageToTextTest, TwoDecodesInARunGiveTheSameText) {
  const std::string png = MakePng("pngs/same", "twice");
  for (int run = 0; run < 2; ++run) {
    platform.requesterAnswers = {png};
    EXPECT_EQ(RunShowing(), "twice") << run;
  }
}

}  // namespace
