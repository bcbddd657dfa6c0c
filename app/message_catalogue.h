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

// Every catalogue key, once: the members below and CatalogueKeys() are made from this list.
#define LETTERLOOM_CATALOGUE_KEYS(X) \
  X(MsgCanceled) \
  X(MsgUpdateMissing) \
  X(MsgDownloading) \
  X(MsgUpToDate) \
  X(MsgTagline) \
  X(MsgConvert) \
  X(MsgLoadText) \
  X(MsgTooManyChars) \
  X(MsgPleaseWait) \
  X(MsgSavePng) \
  X(MsgCompleted) \
  X(MsgLoadPng) \
  X(MsgCopyText) \
  X(MsgSaveText) \
  X(MsgTextCopied) \
  X(MsgChooseName) \
  X(MsgFileSavedPrefix) \
  X(MsgFileSavedSuffix) \
  X(MsgUpdateCaption) \
  X(MsgUpdateOnline) \
  X(MsgUpdateSaved) \
  X(MsgNoNetwork) \
  X(MsgError) \
  X(MsgClipboardButton) \
  X(MsgClipboardEmpty) \
  X(MsgUpdateTip) \
  X(MsgFooter) \
  X(MsgTextPattern) \
  X(MsgImagePattern) \
  X(MsgPngPattern) \
  X(MsgSaveTextPattern) \
  X(MsgWhatsNew) \
  X(MsgCredits) \
  X(MsgNoVersionFile)  /* the server answered, but with no version */ \
  X(MsgSavedAsUtf8)    /* added to the saved message of a text saved as UTF-8 */

// All 35 texts, UTF-8.
struct MessageCatalogue {
#define LETTERLOOM_CATALOGUE_MEMBER(key) std::string key;
  LETTERLOOM_CATALOGUE_KEYS(LETTERLOOM_CATALOGUE_MEMBER)
#undef LETTERLOOM_CATALOGUE_MEMBER
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
