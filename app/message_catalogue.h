// Every text whose wording depends on the chosen language, filled once at start-up.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace app {

// The language names, as the settings file's groups and ChosenLanguage
// carry them (UTF-8 here; the settings file holds them in Windows-1252).
inline constexpr const char* kFrench = "Fran\xC3\xA7" "ais";
inline constexpr const char* kEnglish = "English";
inline constexpr const char* kDeutsch = "Deutsch";

// All 35 texts, UTF-8.
struct MessageCatalogue {
  std::string MsgCanceled;
  std::string MsgUpdateMissing;
  std::string MsgDownloading;
  std::string MsgUpToDate;
  std::string MsgTagline;
  std::string MsgConvert;
  std::string MsgLoadText;
  std::string MsgTooManyChars;
  std::string MsgPleaseWait;
  std::string MsgSavePng;
  std::string MsgCompleted;
  std::string MsgLoadPng;
  std::string MsgCopyText;
  std::string MsgSaveText;
  std::string MsgTextCopied;
  std::string MsgChooseName;
  std::string MsgFileSavedPrefix;
  std::string MsgFileSavedSuffix;
  std::string MsgUpdateCaption;
  std::string MsgUpdateOnline;
  std::string MsgUpdateSaved;
  std::string MsgNoNetwork;
  std::string MsgError;
  std::string MsgClipboardButton;
  std::string MsgClipboardEmpty;
  std::string MsgUpdateTip;
  std::string MsgFooter;
  std::string MsgTextPattern;
  std::string MsgImagePattern;
  std::string MsgPngPattern;
  std::string MsgSaveTextPattern;
  std::string MsgWhatsNew;
  std::string MsgCredits;
  std::string MsgNoVersionFile;  // the server answered, but with no version
  std::string MsgSavedAsUtf8;    // added to the saved message of a text saved as UTF-8
};

// Every key with a pointer to its member, in declaration order; lets tests
// and tools walk the whole catalogue.
const std::vector<std::pair<const char*, std::string MessageCatalogue::*>>& CatalogueKeys();

// Sets every key to its wording in `language` (kFrench, kEnglish or
// kDeutsch); MsgWhatsNew embeds versionString and MsgCredits ends with
// contactsText. An unknown language fills the English texts.
MessageCatalogue FillCatalogue(const std::string& language, const std::string& versionString,
                               const std::string& contactsText);

// The code of the language (kFrench, kEnglish, kDeutsch) for the
// platform's own texts: "fr", "en" or "de"; "en" for any other.
std::string LanguageCode(const std::string& language);

// The contacts block of the credits, the same in every language.
std::string MakeContactsText();

}  // namespace app
