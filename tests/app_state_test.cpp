// The program-wide state after start-up and the paths built from the two folders.
#include "app/app_state.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/message_catalogue.h"
#include "tests/support/fake_platform.h"

namespace app {
namespace {

struct FolderCase {
  const char* cwd;
  const char* tmp;
  const char* start;
  const char* settings;
  const char* temp;
  const char* scratch;
};

TEST(AppState, PathsGetOneTrailingSeparator) {
  const FolderCase cases[] = {
      {"/home/ann", "/tmp", "/home/ann/", "/home/ann/prefs.lng", "/tmp/", "/tmp/letterloomtemp.orvanto"},
      {"/", "/var/tmp/", "/", "/prefs.lng", "/var/tmp/", "/var/tmp/letterloomtemp.orvanto"},
      {"/data/", "/t", "/data/", "/data/prefs.lng", "/t/", "/t/letterloomtemp.orvanto"},
  };
  for (const FolderCase& c : cases) {
    const AppState state = MakeAppState(c.cwd, c.tmp);
    EXPECT_EQ(state.StartDirectory, c.start);
    EXPECT_EQ(state.SettingsPath, c.settings);
    EXPECT_EQ(state.TempDirectory, c.temp);
    EXPECT_EQ(state.ScratchPath, c.scratch);
    EXPECT_EQ(state.CurrentFolder, c.start);
  }
}

TEST(AppState, StartValues) {
  const AppState state = MakeAppState("/w", "/tmp");
  EXPECT_EQ(state.VersionString, "2.0 beta6");
  const std::string server = std::string("http://") + UpdateHost();
  EXPECT_EQ(state.UpdateInfoUrl, server + "/fr/downloads/letterloom.txt");
  EXPECT_EQ(state.UpdateArchiveUrl, server + "/fr/downloads/letterloom.zip");
  EXPECT_EQ(std::string(UpdateHost()), LETTERLOOM_CONFIGURED_UPDATE_HOST);  // the host the build was given
  EXPECT_EQ(state.TextToImageCaption, "TXT -> PNG");
  EXPECT_EQ(state.ImageToTextCaption, "PNG -> TXT");
  EXPECT_EQ(state.MainFont, (platform::FontSpec{"arial", 11, false}));
  EXPECT_EQ(state.SmallFont, (platform::FontSpec{"arial", 8, false}));
  EXPECT_EQ(state.InfoShown, 0);
  EXPECT_EQ(state.ContactsText, MakeContactsText());
  EXPECT_EQ(state.ChosenLanguage, "");
}

TEST(AppState, ProcessStateUsesTmpdir) {
  const char* old = std::getenv("TMPDIR");
  const std::string saved = old ? old : "";
  setenv("TMPDIR", "/scratch/area", 1);
  EXPECT_EQ(MakeAppStateForProcess().ScratchPath, "/scratch/area/letterloomtemp.orvanto");
  unsetenv("TMPDIR");
  EXPECT_EQ(MakeAppStateForProcess().TempDirectory, "/tmp/");
  if (old) setenv("TMPDIR", saved.c_str(), 1);
  EXPECT_EQ(MakeAppStateForProcess().StartDirectory.back(), '/');
}

TEST(AppState, EndProgramEndsWithCodeZero) {
  fake::FakePlatform platform;
  EXPECT_EQ(fake::RunUntilEnd([&] { EndProgram(platform); }), 0);
}

}  // namespace
}  // namespace app
