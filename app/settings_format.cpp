// Parser, renderer and lookup rules of the settings file.
#include "app/settings_format.h"

namespace app {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kLineBreaks = "\r\n";

std::string_view SkipLeadingBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(kBlanks);
  return first == std::string_view::npos ? std::string_view{} : text.substr(first);
}

std::string_view TrimTrailingBlanks(std::string_view text) {
  const auto last = text.find_last_not_of(kBlanks);
  return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
}

// One non-empty line, leading blanks already skipped.
SettingsEntry ParseLine(std::string_view line) {
  if (line.front() == ';') {
    line.remove_prefix(1);
    if (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    return {SettingsEntry::Kind::Comment, std::string(line), {}};
  }
  if (line.front() == '[') {
    line.remove_prefix(1);
    return {SettingsEntry::Kind::Group, std::string(line.substr(0, line.find(']'))), {}};
  }
  const auto equals = line.find('=');
  const std::string_view key = TrimTrailingBlanks(line.substr(0, equals));
  const std::string_view value =
      equals == std::string_view::npos ? std::string_view{} : SkipLeadingBlanks(line.substr(equals + 1));
  return {SettingsEntry::Kind::Key, std::string(key), std::string(value)};
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Length of the UTF-8 sequence a lead byte opens, or 0 when it opens none.
std::size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

}  // namespace

SettingsContent ParseSettings(std::string_view bytes) {
  SettingsContent content;
  if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    content.encoding = SettingsEncoding::Utf8;
    bytes.remove_prefix(kByteOrderMark.size());
  }
  while (!bytes.empty()) {
    const auto end = bytes.find_first_of(kLineBreaks);
    std::string_view text = bytes.substr(0, end);
    text = text.substr(0, text.find('\0'));  // a zero byte ends a text
    const std::string_view line = SkipLeadingBlanks(text);
    if (!line.empty()) content.entries.push_back(ParseLine(line));
    if (end == std::string_view::npos) break;
    bytes.remove_prefix(end);
    const auto next = bytes.find_first_not_of(kLineBreaks);
    bytes.remove_prefix(next == std::string_view::npos ? bytes.size() : next);
  }
  return content;
}

std::string RenderSettings(const SettingsContent& content) {
  std::string out;
  if (content.encoding == SettingsEncoding::Utf8) {
    out.append(kByteOrderMark).append(kLineEnd);
  }
  for (const SettingsEntry& entry : content.entries) {
    switch (entry.kind) {
      case SettingsEntry::Kind::Group: out.append("[").append(entry.name).append("]"); break;
      case SettingsEntry::Kind::Comment: out.append("; ").append(entry.name); break;
      case SettingsEntry::Kind::Key: out.append(entry.name).append(" = ").append(entry.value); break;
    }
    out.append(kLineEnd);
  }
  // An 8-bit file whose first key starts with the mark's bytes would be read
  // back as UTF-8; a leading blank, skipped on reading, keeps it 8-bit.
  if (content.encoding == SettingsEncoding::EightBit && out.starts_with(kByteOrderMark)) {
    out.insert(0, 1, ' ');
  }
  return out;
}

std::string Latin1ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const auto code = static_cast<unsigned char>(c);
    if (code < 0x80) {
      out.push_back(c);
    } else {
      out.push_back(static_cast<char>(0xC0 | (code >> 6)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return out;
}

std::string Utf8ToLatin1(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const std::size_t length = SequenceLength(lead);
    bool valid = length != 0 && i + length <= utf8.size();
    for (std::size_t k = 1; valid && k < length; ++k) {
      valid = (static_cast<unsigned char>(utf8[i + k]) & 0xC0) == 0x80;
    }
    if (!valid) {
      out.push_back('?');
      ++i;
      continue;
    }
    if (length == 1) {
      out.push_back(utf8[i]);
    } else if (length == 2 && lead <= 0xC3) {
      const auto low = static_cast<unsigned char>(utf8[i + 1]) & 0x3F;
      out.push_back(static_cast<char>(((lead & 0x1F) << 6) | low));
    } else {
      out.push_back('?');
    }
    i += length;
  }
  return out;
}

bool NamesMatch(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

std::string SettingsDocument::ToStored(std::string_view text) const {
  return m_content.encoding == SettingsEncoding::Utf8 ? Latin1ToUtf8(text) : std::string(text);
}

bool SettingsDocument::SelectGroup(std::string_view name) {
  m_pendingGroup.reset();
  if (name.empty()) {
    m_currentGroup.reset();
    return true;
  }
  const std::string stored = ToStored(name);
  const auto& entries = m_content.entries;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].kind == SettingsEntry::Kind::Group && NamesMatch(entries[i].name, stored)) {
      m_currentGroup = i;
      return true;
    }
  }
  m_currentGroup.reset();
  m_pendingGroup = stored;
  return false;
}

std::size_t SettingsDocument::GroupBegin() const { return m_currentGroup ? *m_currentGroup + 1 : 0; }

std::size_t SettingsDocument::GroupEnd() const {
  const auto& entries = m_content.entries;
  std::size_t i = GroupBegin();
  while (i < entries.size() && entries[i].kind != SettingsEntry::Kind::Group) ++i;
  return i;
}

std::optional<std::size_t> SettingsDocument::FindKey(std::string_view storedKey) const {
  const auto& entries = m_content.entries;
  for (std::size_t i = GroupBegin(), end = GroupEnd(); i < end; ++i) {
    if (entries[i].kind == SettingsEntry::Kind::Key && NamesMatch(entries[i].name, storedKey)) return i;
  }
  return std::nullopt;
}

std::string SettingsDocument::ReadSetting(std::string_view key, std::string_view fallback) const {
  if (m_pendingGroup) return std::string(fallback);
  const auto found = FindKey(ToStored(key));
  if (!found) return std::string(fallback);
  const std::string_view value = TrimTrailingBlanks(SkipLeadingBlanks(m_content.entries[*found].value));
  return m_content.encoding == SettingsEncoding::Utf8 ? Utf8ToLatin1(value) : std::string(value);
}

void SettingsDocument::WriteSetting(std::string_view key, std::string_view value) {
  auto& entries = m_content.entries;
  if (m_pendingGroup) {
    entries.push_back({SettingsEntry::Kind::Group, *m_pendingGroup, {}});
    m_currentGroup = entries.size() - 1;
    m_pendingGroup.reset();
  }
  const std::string storedKey = ToStored(key);
  const std::string storedValue = ToStored(value);
  if (const auto found = FindKey(storedKey)) {
    entries[*found].name = storedKey;
    entries[*found].value = storedValue;
    return;
  }
  const auto at = entries.begin() + static_cast<std::ptrdiff_t>(GroupEnd());
  entries.insert(at, {SettingsEntry::Kind::Key, storedKey, storedValue});
}

}  // namespace app
