// The update job and the HTTP client against a real nginx on a loopback port.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#ifdef _WIN32

// nginx is the Linux build's server: a Windows test program cannot start
// and stop it as its own child. The Winsock client and the update job are
// tested against the loopback ScriptedServer instead (update_http_client
// and jobs_check_for_update tests).
TEST(WithNginx, NeedsTheLinuxNginx) { GTEST_SKIP() << "nginx runs in the Linux build only"; }

#else

#include "tests/support/session_fixture.h"
#include "tests/support/temp_dir.h"
#include "tests/support/zip_fixture.h"
#include "tests/update/nginx_server.h"
#include "ui/session.h"
#include "ui/status_line.h"
#include "jobs/check_for_update.h"
#include "update/http_client.h"

namespace {

using fake::ReadWholeFile;
using fake::TempDir;
using testing_update::NginxServer;

constexpr const char* kInfoPath = "/fr/downloads/letterloom.txt";
constexpr const char* kArchivePath = "/fr/downloads/letterloom.zip";
constexpr const char* kSameVersionPath = "/same/letterloom.txt";

// A zip archive holding every byte value, several pieces long.
std::string ArchiveBytes() { return fake::UpdateArchive(); }

class WithNginx : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    server = std::make_unique<NginxServer>(std::map<std::string, std::string>{
        {kInfoPath, "Letterloom\n*-2.1-*\n"},
        {kSameVersionPath, "*-2.0 beta6-*"},
        {kArchivePath, ArchiveBytes()},
    });
  }
  static void TearDownTestSuite() { server.reset(); }

  void SetUp() override {
    ASSERT_TRUE(server->error().empty()) << server->error();
    fake::OpenStatusLineOnly(session, dir.Path());
  }

  void RunJob(const std::string& infoPath, const std::string& archivePath, bool yes) {
    session.state.UpdateInfoUrl = server->Url(infoPath);
    session.state.UpdateArchiveUrl = server->Url(archivePath);
    if (yes) fake.messageBoxAnswers.push_back(platform::kAnswerYes);
    jobs::CheckForUpdate(session);
    fake.FlushPosted();
  }

  std::string Archive() const { return dir.Path() + jobs::kUpdateArchiveName; }

  static std::unique_ptr<NginxServer> server;
  TempDir dir;
  fake::FakePlatform fake;
  ui::Session session{fake};
};

std::unique_ptr<NginxServer> WithNginx::server;

TEST_F(WithNginx, ServesTheVersionFileToOurRequest) {
  update::FetchResult result = update::FetchUrlText(server->Url(kInfoPath));
  EXPECT_EQ(result.error, update::HttpError::None) << update::HttpErrorName(result.error);
  EXPECT_EQ(result.body, "Letterloom\n*-2.1-*\n");
}

TEST_F(WithNginx, SameVersionIsUpToDate) {
  RunJob(kSameVersionPath, kArchivePath, false);
  EXPECT_TRUE(fake.messageBoxes.empty());
  EXPECT_EQ(fake.GetGadgetText(ui::kStatusLine), session.catalogue.MsgUpToDate);
}

// The server answered 404: that is no network failure.
TEST_F(WithNginx, MissingVersionFileHasItsOwnOutcome) {
  RunJob("/fr/downloads/nothing.txt", kArchivePath, false);
  EXPECT_TRUE(fake.messageBoxes.empty());
  EXPECT_EQ(fake.GetGadgetText(ui::kStatusLine), session.catalogue.MsgNoVersionFile);
}

TEST_F(WithNginx, DownloadsTheOfferedArchiveDirectlyOrThroughARedirect) {
  struct Case {
    const char* archivePath;
    bool saved;
  };
  const Case cases[] = {
      {kArchivePath, true},
      {"/old.zip", true},           // 302 with an absolute Location
      {"/old-relative.zip", true},  // 302 with a path
      {"/fr/downloads/missing.zip", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.archivePath);
    fake.messageBoxes.clear();
    std::filesystem::remove(Archive());
    RunJob(kInfoPath, c.archivePath, true);
    ASSERT_EQ(fake.messageBoxes.size(), 2u);
    EXPECT_EQ(fake.messageBoxes[0].text,
              "Version 2.1" + session.catalogue.MsgUpdateOnline + session.catalogue.MsgWhatsNew);
    if (c.saved) {
      EXPECT_EQ(fake.messageBoxes[1].text, session.catalogue.MsgUpdateSaved + dir.Path());
      EXPECT_TRUE(ReadWholeFile(Archive()) == ArchiveBytes()) << "the archive differs";
    } else {
      EXPECT_EQ(fake.messageBoxes[1].title, session.catalogue.MsgError);
      EXPECT_EQ(fake.messageBoxes[1].text, session.catalogue.MsgUpdateMissing);
      EXPECT_FALSE(std::filesystem::exists(Archive()));
    }
    EXPECT_EQ(dir.Entries().size(), c.saved ? 1u : 0u);
    EXPECT_EQ(fake.GetGadgetText(ui::kStatusLine), "");
  }
}

}  // namespace

#endif
