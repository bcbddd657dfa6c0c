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

// The bytes for an editor's text, and the encoding they are in.
struct EditorBytes {
  std::string bytes;
  TextEncoding encoding = TextEncoding::Utf8;
};

// The bytes for the editor's text: the original bytes exactly when the text
// equals the one shown; otherwise the text in the original's encoding with
// every line end ("\n", "\r\n", "\r", U+2028, U+2029) written in the
// original's style. A Windows-1252 text that now holds a character that
// code page cannot represent is given whole in UTF-8 instead, so that no
// typed character is lost.
EditorBytes BytesFromEditor(const ShownText& text, std::string_view editorText);

// `bytes` in `encoding` (as BytesFromEditor gave them) as clipboard text,
// which is in the system's code page, UTF-8: UTF-8 bytes unchanged, byte for
// byte; Windows-1252 bytes with each character in UTF-8, line ends kept.
std::string ClipboardTextFor(TextEncoding encoding, std::string_view bytes);

// True when `bytes` are well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

}  // namespace ui
