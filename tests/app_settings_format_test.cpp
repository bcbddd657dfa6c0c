// The settings file's parse, lookup, write and render rules, fed as bytes.
#include "app/settings_format.h"

#include <gtest/gtest.h>

#include <string>

namespace app {
namespace {

std::string Rewritten(const std::string& bytes) { return RenderSettings(ParseSettings(bytes)); }

struct RewriteCase {
  const char* name;
  std::string input;
  std::string output;
};

class SettingsRewrite : public ::testing::TestWithParam<RewriteCase> {};

TEST_P(SettingsRewrite, ComesOutInCanonicalForm) {
  EXPECT_EQ(Rewritten(GetParam().input), GetParam().output);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SettingsRewrite,
    ::testing::Values(
        RewriteCase{"CommentGetsOneBlank", ";note\r\n", "; note\r\n"},
        RewriteCase{"CommentLosesOnlyOneBlank", ";  two\r\n", ";  two\r\n"},
        RewriteCase{"BlankLinesAndTextAfterBracketDropped", "[A]junk\r\n\r\n \t\r\n\r\nk=v\n",
                    "[A]\r\nk = v\r\n"},
        RewriteCase{"BlanksAroundEqualsNormalised", "  \tkey \t=  value  \r", "key = value  \r\n"},
        RewriteCase{"AnyLineBreakAccepted", "a=1\rb=2\nc=3\r\n\n\rd=4", "a = 1\r\nb = 2\r\nc = 3\r\nd = 4\r\n"},
        RewriteCase{"LineWithoutEqualsIsEmptyKey", "c:\\\r\n", "c:\\ = \r\n"},
        RewriteCase{"ValueKeepsLaterEquals", "a=b=c", "a = b=c\r\n"},
        RewriteCase{"GroupNameNotTrimmed", "[ Two words \r\n", "[ Two words ]\r\n"},
        RewriteCase{"EmptyFileStaysEmpty", "", ""},
        RewriteCase{"OnlyBlankLinesBecomeEmpty", "\r\n  \r\n\t", ""},
        RewriteCase{"ByteOrderMarkKeptWithEmptyLine", "\xEF\xBB\xBF[A]\nk=v", "\xEF\xBB\xBF\r\n[A]\r\nk = v\r\n"},
        RewriteCase{"ByteOrderMarkAlone", "\xEF\xBB\xBF", "\xEF\xBB\xBF\r\n"},
        RewriteCase{"ShortMarkIsText", "\xEF\xBB", "\xEF\xBB = \r\n"},
        RewriteCase{"ZeroByteEndsAValue", std::string("k = /ok/\0/hidden/\r\nnext=1", 25),
                    "k = /ok/\r\nnext = 1\r\n"},
        RewriteCase{"ZeroByteEndsAGroupOrKeyLine", std::string("[Eng\0lish]\r\nLNG\0 = 1\r\n\0whole line", 33),
                    "[Eng]\r\nLNG = \r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsRender, EightBitFileStartingWithTheMarkBytesIsReadBackAsWritten) {
  // The mark's bytes after a blank: an 8-bit key, not a UTF-8 file.
  const SettingsContent content = ParseSettings(" \xEF\xBB\xBFkey=1\r\nname=caf\xE9\r\n");
  ASSERT_EQ(content.encoding, SettingsEncoding::EightBit);
  const SettingsContent reread = ParseSettings(RenderSettings(content));
  EXPECT_EQ(reread.encoding, SettingsEncoding::EightBit);
  EXPECT_EQ(reread.entries, content.entries);
}

// A document with keys before the first group, repeated groups and keys.
const std::string kLookupFile =
    "top = before groups\r\n"
    "[English]\r\nLNG = 1 \t\r\nlng = 2\r\n"
    "[english]\r\nLNG = 3\r\n"
    "[Fran\xE7" "ais]\r\nLNG = 0\r\n"
    "[Deutsch]\r\n";

struct LookupCase {
  const char* group;
  const char* key;
  const char* expected;
};

TEST(SettingsLookup, FirstMatchIgnoringAsciiCaseOnly) {
  const LookupCase cases[] = {
      {"English", "LNG", "1"},            // first of repeated keys and groups, trimmed
      {"ENGLISH", "lng", "1"},            // ASCII letters fold
      {"Fran\xE7" "ais", "LNG", "0"},
      {"FRAN\xC7" "AIS", "LNG", "-"},     // the accented capital does not
      {"Deutsch", "LNG", "-"},            // group without keys
      {"Missing", "LNG", "-"},            // pending group
      {"", "top", "before groups"},       // no group: lines before the first
      {"", "LNG", "-"},
  };
  for (const LookupCase& c : cases) {
    SettingsDocument document(ParseSettings(kLookupFile));
    document.SelectGroup(c.group);
    EXPECT_EQ(document.ReadSetting(c.key, "-"), c.expected) << c.group << " / " << c.key;
  }
}

TEST(SettingsLookup, FailedSelectionForgetsTheCurrentGroup) {
  SettingsDocument document(ParseSettings(kLookupFile));
  ASSERT_TRUE(document.SelectGroup("English"));
  EXPECT_FALSE(document.SelectGroup("Nowhere"));
  EXPECT_EQ(document.ReadSetting("LNG", "-"), "-");
}

struct WriteCase {
  const char* name;
  std::string input;
  const char* group;
  const char* key;
  const char* value;
  std::string output;
};

TEST(SettingsWrite, PlacesKeysByTheRules) {
  const WriteCase cases[] = {
      {"NewKeyBeforeNextGroup", "[A]\r\nx=1\r\n[B]\r\n", "A", "y", "2", "[A]\r\nx = 1\r\ny = 2\r\n[B]\r\n"},
      {"ReplacedInPlaceWithNewCase", "[A]\r\nlng = 0\r\nz=9\r\n", "A", "LNG", "1", "[A]\r\nLNG = 1\r\nz = 9\r\n"},
      {"PendingGroupAppendedAtEnd", "[A]\r\n", "B", "k", "v", "[A]\r\n[B]\r\nk = v\r\n"},
      {"NoGroupFileStartsWithGroup", "[A]\r\n", "", "k", "v", "k = v\r\n[A]\r\n"},
      {"NoGroupAfterLeadingKeys", "a=1\r\n[A]\r\n", "", "k", "v", "a = 1\r\nk = v\r\n[A]\r\n"},
      {"EmptyValue", "[A]\r\n", "A", "k", "", "[A]\r\nk = \r\n"},
      {"CreatesFirstEntry", "", "LASTDIR", "LASTDIRTXT", "/d/", "[LASTDIR]\r\nLASTDIRTXT = /d/\r\n"},
  };
  for (const WriteCase& c : cases) {
    SettingsDocument document(ParseSettings(c.input));
    document.SelectGroup(c.group);
    document.WriteSetting(c.key, c.value);
    EXPECT_EQ(RenderSettings(document.content()), c.output) << c.name;
  }
}

TEST(SettingsUtf8Mode, ConvertsNamesAndValuesAsLatin1) {
  SettingsDocument document(ParseSettings("\xEF\xBB\xBF[Fran\xC3\xA7" "ais]\r\nA=caf\xC3\xA9\r\nB=\xE2\x82\xAC\r\n"));
  ASSERT_TRUE(document.SelectGroup("Fran\xE7" "ais"));
  EXPECT_EQ(document.ReadSetting("A", ""), "caf\xE9");
  EXPECT_EQ(document.ReadSetting("B", ""), "?");  // above U+00FF
  document.WriteSetting("C", "\xE9t\xE9");
  EXPECT_EQ(RenderSettings(document.content()),
            "\xEF\xBB\xBF\r\n[Fran\xC3\xA7" "ais]\r\nA = caf\xC3\xA9\r\nB = \xE2\x82\xAC\r\nC = \xC3\xA9t\xC3\xA9\r\n");
}

TEST(SettingsUtf8Mode, EightBitFileDoesNotMatchUtf8Name) {
  SettingsDocument document(ParseSettings("[Fran\xC3\xA7" "ais]\r\nLNG = 0\r\n"));
  EXPECT_FALSE(document.SelectGroup("Fran\xE7" "ais"));
}

TEST(SettingsUtf8Mode, Utf8ToLatin1) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain", "plain"},
      {"\xC3\xA7\xC3\xBF", "\xE7\xFF"},
      {"\xC2\x80", "\x80"},
      {"\xC4\x80", "?"},           // U+0100
      {"\xF0\x9F\x98\x80x", "?x"}, // four-byte sequence
      {"\xFFok", "?ok"},           // not UTF-8
      {"end\xC3", "end?"},         // cut off
      {"\xC3" "A", "?A"},          // bad continuation
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(Utf8ToLatin1(in), out) << in;
  EXPECT_EQ(Utf8ToLatin1(Latin1ToUtf8("a\x80\xE7\xFF")), "a\x80\xE7\xFF");
}

}  // namespace
}  // namespace app
