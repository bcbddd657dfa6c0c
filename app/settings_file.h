// The settings file "prefs.lng": its reader and writer, and the last-folder memory.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "app/app_state.h"
#include "app/settings_format.h"
#include "sysio/files.h"

namespace app {

// The content of a new settings file: nine lines with CR LF, 82 bytes,
// "[Fran\xE7ais]" in Windows-1252.
inline constexpr std::string_view kDefaultSettings =
    "[Fran\xE7" "ais]\r\nLNG = 0\r\n[English]\r\nLNG = 0\r\n[Deutsch]\r\nLNG = 0\r\n"
    "[LASTDIR]\r\nc:\\\r\nc:\\\r\n";

// The largest settings file that is read: three language groups and two
// folder paths take a few hundred bytes. A larger file is taken as damaged,
// as an unreadable one is, and is not read.
inline constexpr std::size_t kMaxSettingsBytes = 64 * 1024;

// Groups and keys the program uses (8-bit; the language groups are the
// Windows-1252 forms of the language names).
inline constexpr const char* kLastDirGroup = "LASTDIR";
inline constexpr const char* kLastDirTextKey = "LASTDIRTXT";
inline constexpr const char* kLastDirPngKey = "LASTDIRPNG";
inline constexpr const char* kLanguageKey = "LNG";

// What closing a settings file did with the changes made to it.
enum class CloseResult {
  Unchanged,  // nothing was written, the file was left alone
  Written,    // the file was rewritten (or created)
  Lost,       // the file is write-protected: the changes were dropped
  Failed,     // the rewrite failed; the old file is as it was
};

// One opening of the settings file: the five operations of its readers and
// writers. Held open only within one operation; the destructor closes it
// as Close does. Names and values are 8-bit text (Windows-1252 bytes).
class SettingsFile {
 public:
  SettingsFile() = default;
  explicit SettingsFile(sysio::FileWriter writer) : m_writer(std::move(writer)) {}
  ~SettingsFile();
  SettingsFile(const SettingsFile&) = delete;
  SettingsFile& operator=(const SettingsFile&) = delete;

  // OpenSettings: reads the file (closing an open one first). True when it
  // exists and could be read; otherwise false (also for a file over
  // kMaxSettingsBytes, which is not read), and the path is kept so that a
  // write followed by Close creates the file. A pipe or device is read
  // without waiting, and never rewritten.
  bool Open(const std::string& path);
  // SelectGroup, ReadSetting, WriteSetting: see SettingsDocument.
  bool SelectGroup(std::string_view name) { return m_document.SelectGroup(name); }
  std::string ReadSetting(std::string_view key, std::string_view fallback) const {
    return m_document.ReadSetting(key, fallback);
  }
  void WriteSetting(std::string_view key, std::string_view value);
  // CloseSettings: rewrites the file atomically when something was written
  // and releases everything. Never changed (Lost): a write-protected file,
  // one that is no regular file, and one reached through a symbolic link
  // that belongs to another user.
  CloseResult Close();

 private:
  enum class Held { Nothing, ReadWrite, ReadOnly, Missing };

  sysio::FileWriter m_writer = sysio::WriteAll;
  SettingsDocument m_document;
  std::string m_path;
  Held m_held = Held::Nothing;
  bool m_written = false;
};

// Writes kDefaultSettings at path, replacing an unreadable or damaged file
// of that name unless it may not be rewritten (as Close); false when that
// fails.
bool CreateDefaultSettings(const std::string& path);

// The settings file's group name for a language name (UTF-8 to 8-bit).
std::string LanguageGroupName(const std::string& language);

// Which last folder: text files or PNG files.
enum FolderKind : int { kTextFolder = 1, kPngFolder = 2 };

// Sets state.CurrentFolder from the settings file (empty when it has none)
// and returns it.
std::string ReadLastFolder(AppState& state, FolderKind kind);

// Sets state.CurrentFolder to the folder part of path (up to its last '/'
// or '\'), stores it in the settings file and returns it.
std::string StoreLastFolder(AppState& state, const std::string& path, FolderKind kind);

// Writes "1" under "LNG" in the group of `language` (UTF-8 name); true when
// the file was written, false when the change was lost (read-only file).
bool StoreLanguageChoice(const AppState& state, const std::string& language);

}  // namespace app
