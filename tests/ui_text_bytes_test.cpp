// Raw bytes shown in the result editor and given back: encoding, line ends, exact round trips.
#include "ui/text_bytes.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

using ui::BytesFromEditor;
using ui::LineEndStyle;
using ui::ShowBytes;
using ui::TextEncoding;

struct ShowCase {
  const char* name;
  std::string bytes;
  TextEncoding encoding;
  LineEndStyle lineEnd;
  std::string shown;
};
void PrintTo(const ShowCase& c, std::ostream* os) { *os << c.name; }


class ShowBytesTest : public ::testing::TestWithParam<ShowCase> {};

TEST_P(ShowBytesTest, ShowsAndGivesBackTheSameBytesWhenUnedited) {
  const ShowCase& c = GetParam();
  const ui::ShownText text = ShowBytes(c.bytes);
  EXPECT_EQ(text.encoding, c.encoding);
  EXPECT_EQ(text.lineEnd, c.lineEnd);
  EXPECT_EQ(text.shown, c.shown);
  const ui::EditorBytes back = BytesFromEditor(text, text.shown);
  EXPECT_EQ(back.bytes, c.bytes);
  EXPECT_EQ(back.encoding, c.encoding);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShowBytesTest,
    ::testing::Values(
        ShowCase{"Empty", "", TextEncoding::Utf8, LineEndStyle::Lf, ""},
        ShowCase{"CrLf", "a\r\nb\r\n", TextEncoding::Utf8, LineEndStyle::CrLf, "a\nb\n"},
        ShowCase{"Lf", "a\nb", TextEncoding::Utf8, LineEndStyle::Lf, "a\nb"},
        ShowCase{"LoneCr", "a\rb", TextEncoding::Utf8, LineEndStyle::Cr, "a\nb"},
        ShowCase{"MixedKeepsFirst", "a\nb\r\nc\rd", TextEncoding::Utf8, LineEndStyle::Lf, "a\nb\nc\nd"},
        ShowCase{"Utf8", "caf\xC3\xA9 \xE2\x82\xAC \xF4\x8F\xBF\xBF", TextEncoding::Utf8, LineEndStyle::Lf,
                 "caf\xC3\xA9 \xE2\x82\xAC \xF4\x8F\xBF\xBF"},
        ShowCase{"Latin", "caf\xE9\r\n", TextEncoding::Windows1252, LineEndStyle::CrLf, "caf\xC3\xA9\n"},
        ShowCase{"HighControls", "\x80\x81\x8D\x8F\x90\x9D\x9F", TextEncoding::Windows1252, LineEndStyle::Lf,
                 "\xE2\x82\xAC\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D\xC5\xB8"},
        ShowCase{"Overlong", "\xC0\xAF", TextEncoding::Windows1252, LineEndStyle::Lf, "\xC3\x80\xC2\xAF"},
        ShowCase{"Surrogate", "\xED\xA0\x80", TextEncoding::Windows1252, LineEndStyle::Lf,
                 "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
        ShowCase{"BeyondUnicode", "\xF4\x90\x80\x80", TextEncoding::Windows1252, LineEndStyle::Lf,
                 "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"},
        ShowCase{"Truncated", "ab\xE2\x82", TextEncoding::Windows1252, LineEndStyle::Lf, "ab\xC3\xA2\xE2\x80\x9A"}),
    [](const auto& info) { return std::string(info.param.name); });

// Every byte but the line-end bytes survives an edit elsewhere in a
// Windows-1252 text, the five undefined ones included.
TEST(TextBytes, EveryWindows1252ByteSurvivesAnEdit) {
  std::string all;
  for (int b = 1; b < 256; ++b) {
    if (b != '\r' && b != '\n') all += static_cast<char>(b);
  }
  const ui::ShownText text = ShowBytes(all);
  ASSERT_EQ(text.encoding, TextEncoding::Windows1252);
  const ui::EditorBytes edited = BytesFromEditor(text, text.shown + "!");
  EXPECT_EQ(edited.bytes, all + "!");
  EXPECT_EQ(edited.encoding, TextEncoding::Windows1252);
}

struct EditCase {
  const char* name;
  std::string original;
  std::string edited;
  std::string expected;
  TextEncoding encoding;
};
void PrintTo(const EditCase& c, std::ostream* os) { *os << c.name; }


class EditedTextTest : public ::testing::TestWithParam<EditCase> {};

TEST_P(EditedTextTest, KeepsTheOriginalsEncodingAndLineEndsAndLosesNoCharacter) {
  const EditCase& c = GetParam();
  const ui::EditorBytes back = BytesFromEditor(ShowBytes(c.original), c.edited);
  EXPECT_EQ(back.bytes, c.expected);
  EXPECT_EQ(back.encoding, c.encoding);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EditedTextTest,
    ::testing::Values(
        EditCase{"CrLfStyle", "a\r\nb", "a\nb\nc", "a\r\nb\r\nc", TextEncoding::Utf8},
        EditCase{"LfStyle", "a\nb", "a\nb\nc", "a\nb\nc", TextEncoding::Utf8},
        EditCase{"CrStyle", "a\rb", "a\nbc", "a\rbc", TextEncoding::Utf8},
        EditCase{"EditorSeparators", "a\r\nb", "x\xE2\x80\xA8y\xE2\x80\xA9z", "x\r\ny\r\nz", TextEncoding::Utf8},
        EditCase{"Utf8StaysUtf8", "caf\xC3\xA9", "caf\xC3\xA9 \xCE\xA9", "caf\xC3\xA9 \xCE\xA9", TextEncoding::Utf8},
        EditCase{"LatinEuroIsOneByte", "caf\xE9", "caf\xC3\xA9 \xE2\x82\xAC", "caf\xE9 \x80",
                 TextEncoding::Windows1252},
        // A typed character the code page cannot hold turns the whole text,
        // earlier characters and line ends in the original's style, into UTF-8.
        EditCase{"TypedJapaneseAndCheckMarkMakeItUtf8", "caf\xE9\r\n",
                 "caf\xC3\xA9\n\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xE2\x9C\x93",
                 "caf\xC3\xA9\r\n\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xE2\x9C\x93", TextEncoding::Utf8},
        EditCase{"EmojiMakesItUtf8", "caf\xE9", "\xCE\xA9 \xF0\x9F\x98\x80!", "\xCE\xA9 \xF0\x9F\x98\x80!",
                 TextEncoding::Utf8},
        EditCase{"C1WithoutMeaningMakesItUtf8", "\xE9", "\xC2\x80", "\xC2\x80", TextEncoding::Utf8},
        EditCase{"EmptiedText", "abc\r\n", "", "", TextEncoding::Utf8}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextBytes, ClipboardTextIsUtf8WhateverTheEncoding) {
  EXPECT_EQ(ui::ClipboardTextFor(TextEncoding::Windows1252, "caf\xE9\x80\r\n"), "caf\xC3\xA9\xE2\x82\xAC\r\n");
  EXPECT_EQ(ui::ClipboardTextFor(TextEncoding::Utf8, "\xE2\x9C\x93\r\n"), "\xE2\x9C\x93\r\n");
}

}  // namespace
