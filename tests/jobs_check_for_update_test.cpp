// The update job with the scripted toolkit: every way through it, against a scripted loopback server.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/session_fixture.h"
#include "tests/support/temp_dir.h"
#include "tests/support/zip_fixture.h"
#include "tests/update/scripted_server.h"
#include "ui/session.h"
#include "ui/status_line.h"
#include "jobs/check_for_update.h"

namespace {

using fake::ReadWholeFile;
using fake::TempDir;
using testing_update::Reply;
using testing_update::ScriptedServer;

constexpr const char* kInfoPath = "/fr/downloads/letterloom.txt";
constexpr const char* kArchivePath = "/fr/downloads/letterloom.zip";
constexpr const char* kIdleStatus = "Convert !";

update::Limits ShortLimits() {
  update::Limits limits;
  limits.answerMs = 1000;
  limits.pieceMs = 1000;
  limits.closeDelimitedPieceMs = 300;
  limits.downloadTotalMs = 1500;
  return limits;
}

Reply Served(const std::string& body) {
  return Reply("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
}

const Reply kNotFound("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");

const std::string kZip = fake::UpdateArchive();
const std::string kHalfZip = kZip.substr(0, kZip.size() / 2);
const Reply kArchive = Served(kZip);
const Reply kArchiveCutShort("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kZip.size()) + "\r\n\r\n" +
                             kHalfZip);
// Without length or chunks: the server closes after half of it, or falls silent.
const Reply kArchiveClosedHalfway("HTTP/1.1 200 OK\r\n\r\n" + kHalfZip);
const Reply kArchiveSilentHalfway("HTTP/1.1 200 OK\r\n\r\n" + kHalfZip, "", true);
const Reply kArchiveTrickling("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kZip.size()) + "\r\n\r\n",
                              "P", false, 50);

// How the job ended, as the user sees it.
enum class Outcome { UpToDate, NoNetwork, NoVersion, Declined, Saved, Missing };

struct JobCase {
  const char* name;
  std::string versionFile;      // empty: the version file is not found
  bool answerYes = false;
  std::optional<Reply> archive;  // nothing: the archive is not found
  Outcome outcome;
  const char* offered = "";      // the version in the question
};

void PrintTo(const JobCase& c, std::ostream* out) { *out << c.name; }

// A session on the fake toolkit whose main window has its status line, with
// the state of a start in a fresh directory and the English texts.
class UpdateJob : public testing::TestWithParam<JobCase> {
 protected:
  UpdateJob() : session(fake) {
    fake::OpenStatusLineOnly(session, dir.Path());
    fake.SetGadgetText(ui::kStatusLine, kIdleStatus);
    fake.onMessageBox = [this](const fake::MessageBoxCall&) {
      progressOpenAtBox.push_back(fake.IsWindowOpen(ui::kProgressWindow));
      statusAtBox.push_back(fake.GetGadgetText(ui::kStatusLine));
    };
  }

  void Run(const std::string& infoUrl, const std::string& archiveUrl) {
    session.state.UpdateInfoUrl = infoUrl;
    session.state.UpdateArchiveUrl = archiveUrl;
    jobs::CheckForUpdate(session, ShortLimits());
    fake.FlushPosted();  // lets a blink run to its end
  }

  std::string Status() const { return fake.GetGadgetText(ui::kStatusLine); }
  std::string Archive() const { return dir.Path() + jobs::kUpdateArchiveName; }

  TempDir dir;
  fake::FakePlatform fake;
  ui::Session session;
  std::vector<bool> progressOpenAtBox;
  std::vector<std::string> statusAtBox;
};

TEST_P(UpdateJob, EndsAsTheUserShouldSee) {
  const JobCase& c = GetParam();
  std::map<std::string, Reply> routes;
  if (!c.versionFile.empty()) routes.emplace(kInfoPath, Served(c.versionFile));
  routes.emplace(kArchivePath, c.archive.value_or(kNotFound));
  ScriptedServer server(routes);
  if (c.answerYes) fake.messageBoxAnswers.push_back(platform::kAnswerYes);
  Run(server.Url(kInfoPath), server.Url(kArchivePath));

  const app::MessageCatalogue& texts = session.catalogue;
  ASSERT_EQ(fake.windows.count(ui::kProgressWindow), 1u) << "the progress window never opened";
  EXPECT_FALSE(fake.IsWindowOpen(ui::kProgressWindow));
  bool asked = c.outcome == Outcome::Declined || c.outcome == Outcome::Saved || c.outcome == Outcome::Missing;
  std::size_t boxes = asked ? (c.outcome == Outcome::Declined ? 1 : 2) : 0;
  ASSERT_EQ(fake.messageBoxes.size(), boxes);
  if (asked) {
    const fake::MessageBoxCall& question = fake.messageBoxes[0];
    EXPECT_EQ(question.title, texts.MsgUpdateCaption);
    EXPECT_EQ(question.text, "Version " + std::string(c.offered) + texts.MsgUpdateOnline + texts.MsgWhatsNew);
    EXPECT_EQ(question.type, platform::kMbYesNo);
    EXPECT_TRUE(progressOpenAtBox[0]) << "the progress window stays behind the question";
  }
  switch (c.outcome) {
    case Outcome::UpToDate: EXPECT_EQ(Status(), texts.MsgUpToDate); break;
    case Outcome::NoNetwork: EXPECT_EQ(Status(), texts.MsgNoNetwork); break;
    case Outcome::NoVersion: EXPECT_EQ(Status(), texts.MsgNoVersionFile); break;
    case Outcome::Declined: EXPECT_EQ(Status(), kIdleStatus); break;
    case Outcome::Saved:
      EXPECT_EQ(fake.messageBoxes[1].title, texts.MsgUpdateCaption);
      EXPECT_EQ(fake.messageBoxes[1].text, texts.MsgUpdateSaved + dir.Path());
      EXPECT_EQ(fake.messageBoxes[1].type, platform::kMbOk);
      EXPECT_FALSE(progressOpenAtBox[1]);
      EXPECT_EQ(statusAtBox[1], texts.MsgDownloading);  // emptied only after the box
      EXPECT_EQ(Status(), "");
      break;
    case Outcome::Missing:
      EXPECT_EQ(fake.messageBoxes[1].title, texts.MsgError);
      EXPECT_EQ(fake.messageBoxes[1].text, texts.MsgUpdateMissing);
      EXPECT_EQ(fake.messageBoxes[1].type, platform::kMbOk);
      EXPECT_FALSE(progressOpenAtBox[1]);
      EXPECT_EQ(statusAtBox[1], "");  // emptied before the box
      break;
  }
  // The version query, and the download after a yes, run with the windows
  // kept painted and the progress window open.
  const bool downloaded = c.outcome == Outcome::Saved || c.outcome == Outcome::Missing;
  ASSERT_EQ(fake.paintedRuns.size(), downloaded ? 2u : 1u);
  for (const std::vector<int>& open : fake.paintedRuns) {
    EXPECT_EQ(open, (std::vector<int>{ui::kMainWindow, ui::kProgressWindow}));
  }
  if (c.outcome == Outcome::Saved) {
    EXPECT_EQ(dir.Entries(), std::set<std::string>{jobs::kUpdateArchiveName});
    EXPECT_TRUE(ReadWholeFile(Archive()) == kZip);
  } else {
    EXPECT_TRUE(dir.Entries().empty()) << "nothing may be left behind";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, UpdateJob,
    testing::Values(
        JobCase{"SameVersion", "*-2.0 beta6-*", false, {}, Outcome::UpToDate},
        JobCase{"SameVersionAmongOtherText", "Letterloom\r\n*-2.0 beta6-*\r\n*-9.9-*", false, {},
                Outcome::UpToDate},
        JobCase{"NewerDeclined", "*-2.1-*", false, {}, Outcome::Declined, "2.1"},
        JobCase{"OlderIsOfferedToo", "*-2.0 beta5-*", false, {}, Outcome::Declined, "2.0 beta5"},
        JobCase{"OtherCaseIsOffered", "*-2.0 BETA6-*", false, {}, Outcome::Declined, "2.0 BETA6"},
        JobCase{"BlanksCount", "*- 2.0 beta6-*", false, {}, Outcome::Declined, " 2.0 beta6"},
        JobCase{"VersionFileMissing", "", false, {}, Outcome::NoVersion},
        JobCase{"NoMarkers", "2.0 beta7", false, {}, Outcome::NoVersion},
        JobCase{"NoStartMarker", "2.1-*", false, {}, Outcome::NoVersion},
        JobCase{"NoEndMarker", "*-2.1", false, {}, Outcome::NoVersion},
        JobCase{"EmptyBetweenMarkers", "*--*", false, {}, Outcome::NoVersion},
        JobCase{"Downloaded", "*-2.1-*", true, kArchive, Outcome::Saved, "2.1"},
        JobCase{"ArchiveMissing", "*-2.1-*", true, {}, Outcome::Missing, "2.1"},
        JobCase{"ArchiveCutShort", "*-2.1-*", true, kArchiveCutShort, Outcome::Missing, "2.1"},
        JobCase{"ArchiveClosedHalfway", "*-2.1-*", true, kArchiveClosedHalfway, Outcome::Missing, "2.1"},
        JobCase{"ArchiveSilentHalfway", "*-2.1-*", true, kArchiveSilentHalfway, Outcome::Missing, "2.1"},
        JobCase{"ArchiveTrickling", "*-2.1-*", true, kArchiveTrickling, Outcome::Missing, "2.1"},
        JobCase{"ArchiveIsNoZip", "*-2.1-*", true, Served("PK but no archive"), Outcome::Missing, "2.1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UpdateJob, WithoutAServerSaysSoInsteadOfUpToDate) {
  std::string nowhere = "http://127.0.0.1:" + std::to_string(testing_update::ClosedPort());
  Run(nowhere + kInfoPath, nowhere + kArchivePath);
  EXPECT_TRUE(fake.messageBoxes.empty());
  EXPECT_FALSE(fake.IsWindowOpen(ui::kProgressWindow));
  EXPECT_EQ(Status(), session.catalogue.MsgNoNetwork);
}

TEST_F(UpdateJob, ReplacesAnOldArchiveOnlyWithAWholeOne) {
  fake::WriteWholeFile(Archive(), "old");
  for (const Reply& broken : {kArchiveCutShort, kArchiveClosedHalfway, kArchiveSilentHalfway}) {
    ScriptedServer server({{kInfoPath, Served("*-2.1-*")}, {kArchivePath, broken}});
    fake.messageBoxAnswers.push_back(platform::kAnswerYes);
    Run(server.Url(kInfoPath), server.Url(kArchivePath));
    EXPECT_EQ(ReadWholeFile(Archive()), "old");
    EXPECT_EQ(fake.messageBoxes.back().text, session.catalogue.MsgUpdateMissing);
    EXPECT_EQ(dir.Entries(), std::set<std::string>{jobs::kUpdateArchiveName});
  }
  ScriptedServer whole({{kInfoPath, Served("*-2.1-*")}, {kArchivePath, kArchive}});
  fake.messageBoxAnswers.push_back(platform::kAnswerYes);
  Run(whole.Url(kInfoPath), whole.Url(kArchivePath));
  EXPECT_TRUE(ReadWholeFile(Archive()) == kZip);
  EXPECT_EQ(fake.messageBoxes.back().text, session.catalogue.MsgUpdateSaved + dir.Path());
  EXPECT_EQ(dir.Entries(), std::set<std::string>{jobs::kUpdateArchiveName});
}

}  // namespace
