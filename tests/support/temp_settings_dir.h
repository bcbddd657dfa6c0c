// A fresh temporary directory for settings-file tests, removed with everything in it.
#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fake {

// The 82 bytes of a new settings file.
inline const std::string kDefaultSettings =
    "[Fran\xE7" "ais]\r\nLNG = 0\r\n[English]\r\nLNG = 0\r\n[Deutsch]\r\nLNG = 0\r\n"
    "[LASTDIR]\r\nc:\\\r\nc:\\\r\n";

class TempSettingsDir {
 public:
  TempSettingsDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "letterloom-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) m_path = pattern;
  }
  ~TempSettingsDir() {
    std::error_code ignored;
    std::filesystem::permissions(SettingsPath(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(m_path, ignored);
  }
  TempSettingsDir(const TempSettingsDir&) = delete;
  TempSettingsDir& operator=(const TempSettingsDir&) = delete;

  // The directory with a trailing separator.
  std::string Path() const { return m_path + "/"; }
  std::string SettingsPath() const { return Path() + "prefs.lng"; }

  void WriteSettings(const std::string& bytes) const {
    std::ofstream(SettingsPath(), std::ios::binary | std::ios::trunc) << bytes;
  }
  std::string ReadSettings() const {
    std::ifstream in(SettingsPath(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  // No write bits at all: read-only also for root.
  void MakeSettingsReadOnly() const { chmod(SettingsPath().c_str(), 0444); }

 private:
  std::string m_path;
};

}  // namespace fake
