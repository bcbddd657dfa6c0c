// The settings file's bytes: parsing into entries, the lookup and write rules, and rendering back.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace app {

// One line of the settings file as it is held in memory.
struct SettingsEntry {
  enum class Kind { Group, Comment, Key };
  Kind kind = Kind::Key;
  std::string name;   // group name, comment text or key name
  std::string value;  // key lines only; trailing blanks kept as read
  friend bool operator==(const SettingsEntry&, const SettingsEntry&) = default;
};

// 8-bit text, or UTF-8 when the file began with a UTF-8 byte-order mark.
enum class SettingsEncoding { EightBit, Utf8 };

struct SettingsContent {
  std::vector<SettingsEntry> entries;
  SettingsEncoding encoding = SettingsEncoding::EightBit;
};

// Splits the file's bytes into entries: lines end at any run of CR and LF,
// a zero byte ends the line's text (what follows it up to the line end is
// dropped), leading blanks are skipped and empty lines dropped; ";" starts
// a comment, "[" a group (name up to "]"), anything else is a key line
// "key = value".
SettingsContent ParseSettings(std::string_view bytes);

// The file's bytes for `content`: in UTF-8 mode the byte-order mark and
// CR LF first; then "[name]", "; text" or "key = value", each with CR LF.
std::string RenderSettings(const SettingsContent& content);

// Byte by byte, each byte a Latin-1 code point, to UTF-8.
std::string Latin1ToUtf8(std::string_view bytes);
// UTF-8 back to one byte per character; a character above U+00FF, and a
// byte that is not valid UTF-8, becomes "?".
std::string Utf8ToLatin1(std::string_view utf8);

// Compares two names ignoring the case of ASCII letters only.
bool NamesMatch(std::string_view a, std::string_view b);

// The in-memory settings with the current group, the pending group and the
// lookup and write rules. Names and values passed in and returned are 8-bit
// (Windows-1252); in UTF-8 mode they are converted on the way in and out.
class SettingsDocument {
 public:
  SettingsDocument() = default;
  explicit SettingsDocument(SettingsContent content) : m_content(std::move(content)) {}

  // Makes the first group of that name current and returns true; else
  // remembers the name as pending and returns false. "" selects the entries
  // before the first group.
  bool SelectGroup(std::string_view name);
  // The value of the first matching key of the current group, trimmed of
  // spaces and tabs; `fallback` when missing or while a group is pending.
  std::string ReadSetting(std::string_view key, std::string_view fallback) const;
  // Sets the key in the current group, creating a pending group at the end
  // and a missing key after the group's last entry.
  void WriteSetting(std::string_view key, std::string_view value);

  const SettingsContent& content() const { return m_content; }

 private:
  std::string ToStored(std::string_view text) const;
  std::optional<std::size_t> FindKey(std::string_view storedKey) const;
  std::size_t GroupBegin() const;  // index of the first entry of the current group
  std::size_t GroupEnd() const;    // index of the next group line, or the end

  SettingsContent m_content;
  std::optional<std::size_t> m_currentGroup;  // index of the group line
  std::optional<std::string> m_pendingGroup;  // stored form
};

}  // namespace app
