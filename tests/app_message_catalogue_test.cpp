// The message catalogue: every key in every language, the composed texts and the wording quirks.
#include "app/message_catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace app {
namespace {

const char* const kLanguages[] = {kFrench, kEnglish, kDeutsch};
constexpr const char* kVersion = "2.0 beta6";
constexpr const char* kContacts = "\r\nMAKER : http://maker.example\r\nHelper : http://helper.example";

MessageCatalogue Fill(const char* language) { return FillCatalogue(language, kVersion, kContacts); }

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (auto end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  lines.push_back(text.substr(start));
  return lines;
}

TEST(MessageCatalogue, EveryKeyFilledInEveryLanguage) {
  const auto& keys = CatalogueKeys();
  std::set<std::string> names;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    EXPECT_TRUE(names.insert(keys[i].first).second) << keys[i].first;
    for (std::size_t j = 0; j < i; ++j) EXPECT_NE(keys[i].second, keys[j].second) << keys[i].first;
  }
  EXPECT_EQ(names.size(), 35u);
  for (const char* language : kLanguages) {
    const MessageCatalogue catalogue = Fill(language);
    for (const auto& [name, member] : CatalogueKeys()) {
      EXPECT_FALSE((catalogue.*member).empty()) << language << " " << name;
    }
  }
}

TEST(MessageCatalogue, LanguagesDifferWhereTheyShould) {
  const MessageCatalogue french = Fill(kFrench);
  const MessageCatalogue english = Fill(kEnglish);
  const MessageCatalogue german = Fill(kDeutsch);
  EXPECT_EQ(french.MsgCanceled, "Annul\xC3\xA9");
  EXPECT_EQ(english.MsgCanceled, "Canceled");
  EXPECT_EQ(german.MsgCanceled, "Abgebrochen");
  EXPECT_EQ(german.MsgNoNetwork, "Au\xC3\x9F" "erstande das Netzwerk zu finden");
  // An unknown name falls back to English.
  EXPECT_EQ(FillCatalogue("Klingon", kVersion, kContacts).MsgConvert, english.MsgConvert);
  EXPECT_EQ(LanguageCode(kFrench), "fr");
  EXPECT_EQ(LanguageCode(kEnglish), "en");
  EXPECT_EQ(LanguageCode(kDeutsch), "de");
  EXPECT_EQ(LanguageCode("Klingon"), "en");
}

struct QuirkCase {
  const char* language;
  std::string MessageCatalogue::*member;
  const char* text;
};

TEST(MessageCatalogue, WordingQuirksKept) {
  using M = MessageCatalogue;
  const QuirkCase cases[] = {
      {kFrench, &M::MsgUpdateCaption, "@"},
      {kEnglish, &M::MsgUpdateCaption, "@"},
      {kDeutsch, &M::MsgUpdateCaption, "@"},
      {kDeutsch, &M::MsgUpdateTip, "Update"},
      {kFrench, &M::MsgClipboardButton, "Presse papier -> PNG"},
      {kEnglish, &M::MsgClipboardButton, "CLIPBOARD TXT -> PNG"},
      {kDeutsch, &M::MsgClipboardButton, "ZWISCHENABLAGE TXT -> PNG"},
      {kEnglish, &M::MsgTooManyChars, "To many characters !"},
      {kFrench, &M::MsgClipboardEmpty, "Il ni a aucun texte dans le presse papier !"},
      {kFrench, &M::MsgTextPattern, "Ficher Texte|*.txt;*.TXT;*.pb;*.php;*.html;*.htm;*.js;*.ini"},
      {kFrench, &M::MsgImagePattern, "Ficher image (*.png)|*.png;*.PNG"},
      {kFrench, &M::MsgPngPattern, "Ficher PNG|*.png;*.PNG"},
      {kDeutsch, &M::MsgSaveTextPattern, "Text (*.txt)|*.txt|Andere (*.*)|*.*"},
      {kEnglish, &M::MsgUpdateOnline, " is online, do you want to download it ?"},
      {kFrench, &M::MsgUpdateSaved, "La mise \xC3\xA0 jour \xC3\xA0 \xC3\xA9t\xC3\xA9 sauv\xC3\xA9" "e dans "},
  };
  for (const QuirkCase& c : cases) {
    EXPECT_EQ(Fill(c.language).*c.member, c.text) << c.language << " " << c.text;
  }
}

TEST(MessageCatalogue, BlanksAtTheJoins) {
  for (const char* language : kLanguages) {
    const MessageCatalogue m = Fill(language);
    EXPECT_EQ(m.MsgFileSavedPrefix.back(), ' ') << language;
    EXPECT_EQ(m.MsgFileSavedSuffix.front(), ' ') << language;
    EXPECT_EQ(m.MsgUpdateOnline.front(), ' ') << language;
    EXPECT_EQ(m.MsgUpdateSaved.back(), ' ') << language;
  }
}

TEST(MessageCatalogue, WhatsNewEmbedsTheVersion) {
  EXPECT_EQ(Fill(kDeutsch).MsgWhatsNew.rfind("\n 2.0 beta6 - Was ist neu ?\n> Neuer Code\n", 0), 0u);
  EXPECT_EQ(FillCatalogue(kEnglish, "3.1", kContacts).MsgWhatsNew.rfind("\n 3.1 - What's new ?\n", 0), 0u);
  EXPECT_TRUE(Fill(kFrench).MsgWhatsNew.ends_with("> Le Format PNG est maintenant le seul accept\xC3\xA9"));
}

TEST(MessageCatalogue, CreditsAreThreeLinesThenContacts) {
  const std::pair<const char*, std::pair<const char*, const char*>> openings[] = {
      {kFrench, {"Ce logiciel a \xC3\xA9t\xC3\xA9 cr\xC3\xA9\xC3\xA9 par ", "Remerciements : "}},
      {kEnglish, {"This software has been created by ", "Greetings : "}},
      {kDeutsch, {"Diese Software wurde entwickelt von ", "Gr\xC3\xBC\xC3\x9F" "e : "}},
  };
  for (const auto& [language, opening] : openings) {
    const MessageCatalogue m = Fill(language);
    ASSERT_TRUE(m.MsgCredits.ends_with("\r\n" + std::string(kContacts))) << language;
    const std::vector<std::string> lines = SplitLines(m.MsgCredits);
    ASSERT_EQ(lines.size(), 6u) << language;  // three lines, the empty one, two contacts
    EXPECT_EQ(lines[0].rfind(opening.first, 0), 0u) << language;
    EXPECT_TRUE(lines[0].ends_with(" - ORVANTO")) << language;
    EXPECT_EQ(lines[1], m.MsgFooter) << language;
    EXPECT_EQ(lines[1].find('\n'), std::string::npos) << language;
    EXPECT_EQ(lines[2].rfind(opening.second, 0), 0u) << language;
    EXPECT_EQ(std::count(lines[2].begin(), lines[2].end(), ','), 3) << "four names thanked";
    EXPECT_EQ(lines[3], "");
  }
}

TEST(MessageCatalogue, ContactsNameTheMakerAndEndWithoutLineBreak) {
  const std::string contacts = MakeContactsText();
  EXPECT_EQ(contacts.rfind("\r\nORVANTO : http://", 0), 0u);
  const std::vector<std::string> lines = SplitLines(contacts);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[2].find(" : http://"), std::string::npos);
  EXPECT_NE(lines[1].find(".example"), std::string::npos);
  EXPECT_NE(lines[2].find(".example"), std::string::npos);
  EXPECT_FALSE(contacts.ends_with("\n"));
}

}  // namespace
}  // namespace app
