// A fresh temporary directory for settings-file tests, removed with everything in it.
#pragma once

#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"

namespace fake {

// The 82 bytes of a new settings file.
inline const std::string kDefaultSettings =
    "[Fran\xE7" "ais]\r\nLNG = 0\r\n[English]\r\nLNG = 0\r\n[Deutsch]\r\nLNG = 0\r\n"
    "[LASTDIR]\r\nc:\\\r\nc:\\\r\n";

class TempSettingsDir : public TempDir {
 public:
  // The settings file may have been made read-only; give it back its owner's rights.
  ~TempSettingsDir() {
    std::error_code ignored;
    std::filesystem::permissions(SettingsPath(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
  }

  std::string SettingsPath() const { return File("prefs.lng"); }

  void WriteSettings(const std::string& bytes) const { WriteWholeFile(SettingsPath(), bytes); }
  std::string ReadSettings() const { return ReadWholeFile(SettingsPath()); }
  // No write bits at all: read-only also for root (on Windows: the
  // read-only attribute).
  void MakeSettingsReadOnly() const {
    namespace fs = std::filesystem;
    fs::permissions(SettingsPath(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  }
};

}  // namespace fake
