// How raw text bytes are shown in the result editor and turned back into bytes.
#pragma once

#include <string>
#include <string_view>

namespace ui {

enum class TextEncoding { Utf8, Windows1252 };
enum class LineEndStyle { Lf, CrLf, Cr };

// A text as the editor shows it, with what is needed to give its bytes back.
struct ShownText {
  std::string original;  // the raw bytes
  std::string shown;     // UTF-8 with "\n" line ends, as given to the editor
  TextEncoding encoding = TextEncoding::Utf8;
  LineEndStyle lineEnd = LineEndStyle::Lf;
};

// Shows `bytes` as UTF-8 when they are valid UTF-8, else as Windows-1252
// (the five bytes that code page leaves undefined become U+0081, U+008D,
// U+008F, U+0090 and U+009D). Every line end (CR LF, LF or a lone CR)
// becomes "\n"; the style is that of the first line end (LF when none).
ShownText ShowBytes(std::string bytes);

// The bytes for the editor's text: the original bytes exactly when the text
// equals the one shown; otherwise the text in the original's encoding
// (characters Windows-1252 cannot hold become "?") with every line end
// ("\n", "\r\n", "\r", U+2028, U+2029) written in the original's style.
std::string BytesFromEditor(const ShownText& text, std::string_view editorText);

// `bytes` (as BytesFromEditor gave them) as clipboard text, which is in the
// system's code page, UTF-8: a UTF-8 text unchanged, byte for byte; a
// Windows-1252 text with each character in UTF-8 and its line ends kept.
std::string ClipboardTextFor(const ShownText& text, std::string_view bytes);

// True when `bytes` are well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

}  // namespace ui
