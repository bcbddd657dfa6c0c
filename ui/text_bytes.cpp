// Converts between raw text bytes and the editor's UTF-8 text, keeping encoding and line ends.
#include "ui/text_bytes.h"

#include <array>
#include <cstdint>
#include <optional>

namespace ui {
namespace {

// Windows-1252 for the bytes 0x80 to 0x9F; the undefined ones map to their
// own C1 code point so that every byte comes back.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char32_t kLineSeparator = 0x2028;
constexpr char32_t kParagraphSeparator = 0x2029;
constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Decodes one UTF-8 sequence at `pos`; returns its length, 0 when invalid.
std::size_t DecodeUtf8(std::string_view s, std::size_t pos, char32_t& out) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(s[pos + i]); };
  const std::uint8_t lead = byte(0);
  if (lead < 0x80) {
    out = lead;
    return 1;
  }
  std::size_t length = 0;
  char32_t min = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, min = 0x80, out = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, min = 0x800, out = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, min = 0x10000, out = lead & 0x07;
  } else {
    return 0;
  }
  if (pos + length > s.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    out = (out << 6) | (byte(i) & 0x3F);
  }
  if (out < min || out > 0x10FFFF || (out >= 0xD800 && out <= 0xDFFF)) return 0;
  return length;
}

std::size_t LineEndLength(std::string_view s, std::size_t pos) {
  if (s[pos] == '\n') return 1;
  if (s[pos] != '\r') return 0;
  return (pos + 1 < s.size() && s[pos + 1] == '\n') ? 2 : 1;
}

LineEndStyle FirstLineEnd(std::string_view s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\n') return LineEndStyle::Lf;
    if (s[i] == '\r') return LineEndLength(s, i) == 2 ? LineEndStyle::CrLf : LineEndStyle::Cr;
  }
  return LineEndStyle::Lf;
}

std::string_view LineEndBytes(LineEndStyle style) {
  switch (style) {
    case LineEndStyle::CrLf: return "\r\n";
    case LineEndStyle::Cr: return "\r";
    case LineEndStyle::Lf: break;
  }
  return "\n";
}

char32_t FromWindows1252(std::uint8_t b) { return (b >= 0x80 && b < 0xA0) ? kHighControls[b - 0x80] : b; }


// The Windows-1252 byte of a character; nothing when the code page has none.
std::optional<char> ToWindows1252(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == c) return static_cast<char>(0x80 + i);
  }
  return std::nullopt;
}

// True when every character of a UTF-8 editor text but its line ends has a
// Windows-1252 byte.
bool Windows1252CanHold(std::string_view editorText) {
  for (std::size_t i = 0; i < editorText.size();) {
    char32_t c = 0;
    const std::size_t n = DecodeUtf8(editorText, i, c);
    if (n == 0) return false;
    i += n;
    if (c == kLineSeparator || c == kParagraphSeparator) continue;
    if (!ToWindows1252(c)) return false;
  }
  return true;
}

// Appends c in the encoding; a Windows-1252 text holds only characters that
// Windows1252CanHold accepted.
void AppendEncoded(std::string& out, char32_t c, TextEncoding encoding) {
  if (encoding == TextEncoding::Utf8) {
    AppendUtf8(out, c);
  } else {
    out += ToWindows1252(c).value_or('?');
  }
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  char32_t c = 0;
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t n = DecodeUtf8(bytes, i, c);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

ShownText ShowBytes(std::string bytes) {
  ShownText text;
  text.encoding = IsValidUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Windows1252;
  text.lineEnd = FirstLineEnd(bytes);
  std::string& shown = text.shown;
  shown.reserve(bytes.size() + bytes.size() / 8);
  for (std::size_t i = 0; i < bytes.size();) {
    if (const std::size_t end = LineEndLength(bytes, i)) {
      shown += '\n';
      i += end;
    } else if (text.encoding == TextEncoding::Utf8) {
      shown += bytes[i++];
    } else {
      AppendUtf8(shown, FromWindows1252(static_cast<std::uint8_t>(bytes[i++])));
    }
  }
  text.original = std::move(bytes);
  return text;
}

EditorBytes BytesFromEditor(const ShownText& text, std::string_view editorText) {
  if (editorText == text.shown) return {text.original, text.encoding};
  const TextEncoding encoding =
      text.encoding == TextEncoding::Windows1252 && Windows1252CanHold(editorText) ? TextEncoding::Windows1252
                                                                                   : TextEncoding::Utf8;
  const std::string_view lineEnd = LineEndBytes(text.lineEnd);
  std::string out;
  out.reserve(editorText.size());
  for (std::size_t i = 0; i < editorText.size();) {
    if (const std::size_t end = LineEndLength(editorText, i)) {
      out += lineEnd;
      i += end;
      continue;
    }
    char32_t c = kReplacement;
    const std::size_t n = DecodeUtf8(editorText, i, c);
    i += n == 0 ? 1 : n;
    if (n == 0) c = kReplacement;
    if (c == kLineSeparator || c == kParagraphSeparator) {
      out += lineEnd;
    } else {
      AppendEncoded(out, c, encoding);
    }
  }
  return {std::move(out), encoding};
}

std::string ClipboardTextFor(TextEncoding encoding, std::string_view bytes) {
  if (encoding == TextEncoding::Utf8) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (const char b : bytes) AppendUtf8(out, FromWindows1252(static_cast<std::uint8_t>(b)));
  return out;
}

}  // namespace ui
