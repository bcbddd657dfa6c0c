// Opening, rewriting and the last-folder and language-choice operations of the settings file.
#include "app/settings_file.h"

#include "sysio/replacement_file.h"

namespace app {
namespace {

std::string FolderPart(const std::string& path) {
  const auto separator = path.find_last_of("\\/");
  return separator == std::string::npos ? std::string{} : path.substr(0, separator + 1);
}

// A file the program may replace: a regular file (or none yet) that is not
// write-protected and, when reached through a link, is the user's own. A
// link planted to another user's file must not make us rewrite it.
bool MayRewrite(const sysio::FileFacts& facts) {
  if (!facts.status) return false;
  if (facts.kind == sysio::FileKind::Missing) return true;
  if (facts.kind != sysio::FileKind::Regular || facts.writeProtected) return false;
  return !facts.isLink || facts.ownedByUs;
}

const char* LastFolderKey(FolderKind kind) {
  return kind == kTextFolder ? kLastDirTextKey : kLastDirPngKey;
}

}  // namespace

SettingsFile::~SettingsFile() { Close(); }

bool SettingsFile::Open(const std::string& path) {
  Close();
  m_path = path;
  m_held = Held::Missing;
  const sysio::FileFacts facts = sysio::InspectFile(path);
  if (facts.kind != sysio::FileKind::Regular && facts.kind != sysio::FileKind::Other) return false;
  const sysio::FileContent content = sysio::ReadWholeFile(path, kMaxSettingsBytes);
  if (!content.status) return false;
  m_document = SettingsDocument(ParseSettings(content.bytes));
  const bool writable = facts.kind == sysio::FileKind::Regular && MayRewrite(facts) &&
                        sysio::ProbeFileAccess(path) == sysio::FileAccess::ReadWrite;
  m_held = writable ? Held::ReadWrite : Held::ReadOnly;
  return true;
}

void SettingsFile::WriteSetting(std::string_view key, std::string_view value) {
  m_document.WriteSetting(key, value);
  m_written = true;
}

CloseResult SettingsFile::Close() {
  const Held held = m_held;
  const bool written = m_written;
  const std::string path = std::move(m_path);
  SettingsDocument document = std::move(m_document);
  m_document = SettingsDocument();
  m_path.clear();
  m_held = Held::Nothing;
  m_written = false;

  if (held == Held::Nothing || !written) return CloseResult::Unchanged;
  // A file that was read-only at opening, or has become one that may not
  // be rewritten since, keeps its content; replacing it by a rename would
  // change it.
  if (held == Held::ReadOnly || !MayRewrite(sysio::InspectFile(path))) return CloseResult::Lost;
  const std::string bytes = RenderSettings(document.content());
  return sysio::ReplaceFileAtomically(path, bytes, m_writer) ? CloseResult::Written : CloseResult::Failed;
}

bool CreateDefaultSettings(const std::string& path) {
  if (!MayRewrite(sysio::InspectFile(path))) return false;
  return sysio::ReplaceFileAtomically(path, kDefaultSettings).ok();
}

std::string LanguageGroupName(const std::string& language) { return Utf8ToLatin1(language); }

std::string ReadLastFolder(AppState& state, FolderKind kind) {
  SettingsFile settings;
  settings.Open(state.SettingsPath);
  settings.SelectGroup(kLastDirGroup);
  state.CurrentFolder = settings.ReadSetting(LastFolderKey(kind), "");
  settings.Close();
  return state.CurrentFolder;
}

std::string StoreLastFolder(AppState& state, const std::string& path, FolderKind kind) {
  const std::string folder = FolderPart(path);
  state.CurrentFolder = folder;
  SettingsFile settings;
  settings.Open(state.SettingsPath);
  settings.SelectGroup(kLastDirGroup);
  settings.WriteSetting(LastFolderKey(kind), folder);
  settings.Close();
  return folder;
}

bool StoreLanguageChoice(const AppState& state, const std::string& language) {
  SettingsFile settings;
  settings.Open(state.SettingsPath);
  settings.SelectGroup(LanguageGroupName(language));
  settings.WriteSetting(kLanguageKey, "1");
  return settings.Close() == CloseResult::Written;
}

}  // namespace app
