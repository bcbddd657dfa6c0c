// The program-wide state after start-up and the paths built from the two folders.
#include "app/app_state.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
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

// Sets an environment variable for the life of the object (empty: removed).
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::string& value) : m_name(name) {
    const char* old = std::getenv(name);
    m_old = old ? std::optional<std::string>(old) : std::nullopt;
    Set(value);
  }
  ~ScopedVariable() { Set(m_old.value_or("")); }
  void Set(const std::string& value) const {
#ifdef _WIN32
    _putenv_s(m_name, value.c_str());  // "" removes it
#else
    if (value.empty()) {
      unsetenv(m_name);
    } else {
      setenv(m_name, value.c_str(), 1);
    }
#endif
  }

 private:
  const char* m_name;
  std::optional<std::string> m_old;
};

TEST(AppState, PathsGetOneTrailingSeparator) {
  const FolderCase cases[] = {
#ifdef _WIN32
      {"C:\\Users\\ann", "C:\\Users\\ann\\AppData\\Local\\Temp", "C:\\Users\\ann\\",
       "C:\\Users\\ann\\prefs.lng", "C:\\Users\\ann\\AppData\\Local\\Temp\\",
       "C:\\Users\\ann\\AppData\\Local\\Temp\\letterloomtemp.orvanto"},
      {"C:\\", "D:\\t\\", "C:\\", "C:\\prefs.lng", "D:\\t\\", "D:\\t\\letterloomtemp.orvanto"},
      {"C:/data/", "C:/t", "C:/data/", "C:/data/prefs.lng", "C:/t\\", "C:/t\\letterloomtemp.orvanto"},
#else
      {"/home/ann", "/tmp", "/home/ann/", "/home/ann/prefs.lng", "/tmp/", "/tmp/letterloomtemp.orvanto"},
      {"/", "/var/tmp/", "/", "/prefs.lng", "/var/tmp/", "/var/tmp/letterloomtemp.orvanto"},
      {"/data/", "/t", "/data/", "/data/prefs.lng", "/t/", "/t/letterloomtemp.orvanto"},
      {"/odd\\", "/t", "/odd\\/", "/odd\\/prefs.lng", "/t/", "/t/letterloomtemp.orvanto"},
#endif
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

#ifdef _WIN32
// The user's temporary folder as GetTempPathW finds it: TMP first.
TEST(AppState, ProcessStateUsesTheUsersTemporaryFolder) {
  {
    ScopedVariable tmp("TMP", "C:\\scratch\\area");
    EXPECT_EQ(MakeAppStateForProcess().ScratchPath, "C:\\scratch\\area\\letterloomtemp.orvanto");
  }
  EXPECT_EQ(MakeAppStateForProcess().TempDirectory.back(), '\\');
  EXPECT_EQ(MakeAppStateForProcess().StartDirectory.back(), '\\');
}
#else
TEST(AppState, ProcessStateUsesTmpdir) {
  {
    ScopedVariable tmpdir("TMPDIR", "/scratch/area");
    EXPECT_EQ(MakeAppStateForProcess().ScratchPath, "/scratch/area/letterloomtemp.orvanto");
  }
  {
    ScopedVariable tmpdir("TMPDIR", "");
    EXPECT_EQ(MakeAppStateForProcess().TempDirectory, "/tmp/");
  }
  EXPECT_EQ(MakeAppStateForProcess().StartDirectory.back(), '/');
}
#endif

TEST(AppState, EndProgramEndsWithCodeZero) {
  fake::FakePlatform platform;
  EXPECT_EQ(fake::RunUntilEnd([&] { EndProgram(platform); }), 0);
}

}  // namespace
}  // namespace app
