// The Scintilla editor: its settings, the long-line pieces and the filters that keep piece ends inside it.
#include "platform/win32/editor.h"

#include "platform/win32/clipboard.h"
#include "platform/win32/wide_text.h"

#include <Scintilla.h>
#include <commctrl.h>

#include <algorithm>
#include <optional>

namespace platform::win32 {
namespace {

constexpr UINT_PTR kEditorSubclass = 2;
constexpr int kDefaultPointSize = 10;
constexpr int kFractionalPoints = 100;  // SCI_STYLESETSIZEFRACTIONAL counts hundredths
constexpr int kPointsPerInch = 72;
// Monospaced faces, the first one present wins: a monospaced font lets the
// control lay out long lines without measuring every character.
constexpr const wchar_t* kEditorFaces[] = {L"Consolas", L"Courier New", L"Liberation Mono"};

constexpr bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Where a piece of a line that starts at `start` ends.
std::size_t PieceEnd(std::string_view text, std::size_t start) {
  const std::size_t hardEnd = start + kPieceBytes;
  for (std::size_t i = hardEnd; i > hardEnd - kBreakWindow; --i) {
    if (text[i - 1] == ' ' || text[i - 1] == '\t') return i;
  }
  std::size_t end = hardEnd;
  while (end > start + 1 && IsUtf8Continuation(text[end])) --end;
  return end;
}

int CALLBACK NoteFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool FaceExists(const wchar_t* face) {
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
  bool found = false;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExW(screen, &wanted, &NoteFace, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

const wchar_t* EditorFace() {
  static const wchar_t* const face = [] {
    for (const wchar_t* candidate : kEditorFaces) {
      if (FaceExists(candidate)) return candidate;
    }
    return kEditorFaces[0];
  }();
  return face;
}

bool RegisterEditorClass() {
  static const bool registered = Scintilla_RegisterClasses(GetModuleHandleW(nullptr)) != 0;
  return registered;
}

COLORREF ColourOr(Colour colour, int systemColour) {
  if (colour.kind != Colour::Kind::Explicit) return GetSysColor(systemColour);
  return RGB(colour.rgb.red, colour.rgb.green, colour.rgb.blue);
}

std::string WithoutCarriageReturns(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return text;
}

bool ControlOrShiftDown() { return GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_SHIFT) < 0; }

}  // namespace

bool HasLongLine(std::string_view text) {
  std::size_t lineStart = 0;
  for (;;) {
    const std::size_t end = text.find('\n', lineStart);
    const std::size_t lineEnd = end == std::string_view::npos ? text.size() : end;
    if (lineEnd - lineStart > kPieceBytes) return true;
    if (end == std::string_view::npos) return false;
    lineStart = end + 1;
  }
}

std::string LayOutPieces(std::string_view text) {
  std::string laid;
  laid.reserve(text.size() + text.size() / kPieceBytes + 1);
  std::size_t lineStart = 0;
  for (;;) {
    const std::size_t found = text.find('\n', lineStart);
    const std::size_t lineEnd = found == std::string_view::npos ? text.size() : found;
    std::size_t pieceStart = lineStart;
    while (lineEnd - pieceStart > kPieceBytes) {
      const std::size_t cut = PieceEnd(text, pieceStart);
      laid.append(text.substr(pieceStart, cut - pieceStart));
      laid.push_back('\r');
      pieceStart = cut;
    }
    laid.append(text.substr(pieceStart, lineEnd - pieceStart));
    if (found == std::string_view::npos) return laid;
    laid.push_back('\n');
    lineStart = found + 1;
  }
}

std::unique_ptr<Editor> Editor::Create(HWND parent, const GadgetSpec& spec) {
  if (!RegisterEditorClass()) return nullptr;
  std::unique_ptr<Editor> editor(new Editor);
  editor->m_window = CreateWindowExW(
      WS_EX_CLIENTEDGE, L"Scintilla", L"",
      WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL, spec.x, spec.y,
      spec.width, spec.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.number)),
      GetModuleHandleW(nullptr), nullptr);
  if (editor->m_window == nullptr) return nullptr;
  editor->m_direct = reinterpret_cast<SciFnDirect>(SendMessageW(editor->m_window, SCI_GETDIRECTFUNCTION, 0, 0));
  editor->m_directPointer = SendMessageW(editor->m_window, SCI_GETDIRECTPOINTER, 0, 0);
  if (editor->m_direct == nullptr) {
    DestroyWindow(editor->m_window);
    return nullptr;
  }
  SetWindowSubclass(editor->m_window, &Editor::SubclassProc, kEditorSubclass,
                    reinterpret_cast<DWORD_PTR>(editor.get()));
  editor->Call(SCI_SETCODEPAGE, SC_CP_UTF8);
  editor->Call(SCI_SETEOLMODE, SC_EOL_LF);
  editor->Call(SCI_SETPASTECONVERTENDINGS, 1);
  editor->Call(SCI_SETWRAPMODE, SC_WRAP_WORD);
  editor->Call(SCI_SETLAYOUTCACHE, SC_CACHE_PAGE);
  for (int margin = 0; margin < SC_MAX_MARGIN; ++margin) editor->Call(SCI_SETMARGINWIDTHN, margin, 0);
  editor->Call(SCI_STYLESETFONT, STYLE_DEFAULT, reinterpret_cast<intptr_t>(Narrow(EditorFace()).c_str()));
  editor->Call(SCI_STYLESETSIZE, STYLE_DEFAULT, kDefaultPointSize);
  editor->Call(SCI_STYLESETCHECKMONOSPACED, STYLE_DEFAULT, 1);
  editor->Call(SCI_STYLECLEARALL);
  editor->Call(SCI_SETMODEVENTMASK, SC_MOD_INSERTCHECK);
  return editor;
}

Editor::~Editor() {
  if (m_window == nullptr) return;
  RemoveWindowSubclass(m_window, &Editor::SubclassProc, kEditorSubclass);
  DestroyWindow(m_window);
}

intptr_t Editor::Call(unsigned message, uintptr_t wParam, intptr_t lParam) const {
  return m_direct(m_directPointer, message, wParam, lParam);
}

void Editor::SetText(const std::string& utf8) {
  m_setText = utf8;
  m_pieces = utf8.find('\r') == std::string::npos && HasLongLine(utf8);
  const std::string laid = m_pieces ? LayOutPieces(utf8) : std::string();
  const std::string& shown = m_pieces ? laid : utf8;
  m_loading = true;
  Call(SCI_SETUNDOCOLLECTION, 0);
  Call(SCI_CLEARALL);
  Call(SCI_APPENDTEXT, shown.size(), reinterpret_cast<intptr_t>(shown.data()));
  Call(SCI_SETUNDOCOLLECTION, 1);
  Call(SCI_EMPTYUNDOBUFFER);
  Call(SCI_SETSAVEPOINT);
  Call(SCI_GOTOPOS, 0);
  m_loading = false;
}

std::string Editor::Text() const {
  if (Call(SCI_GETMODIFY) == 0) return m_setText;
  const auto length = static_cast<std::size_t>(Call(SCI_GETLENGTH));
  std::string text(length + 1, '\0');
  Call(SCI_GETTEXT, length, reinterpret_cast<intptr_t>(text.data()));
  text.resize(length);
  return m_pieces ? WithoutCarriageReturns(std::move(text)) : text;
}

void Editor::SetFont(HFONT font) {
  LOGFONTW description{};
  if (font == nullptr || GetObjectW(font, sizeof(description), &description) == 0) return;
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  const int pixels = description.lfHeight < 0 ? -description.lfHeight : description.lfHeight;
  Call(SCI_STYLESETFONT, STYLE_DEFAULT, reinterpret_cast<intptr_t>(Narrow(description.lfFaceName).c_str()));
  Call(SCI_STYLESETSIZEFRACTIONAL, STYLE_DEFAULT, MulDiv(pixels, kPointsPerInch * kFractionalPoints, dpi));
  Call(SCI_STYLESETWEIGHT, STYLE_DEFAULT, description.lfWeight);
  Call(SCI_STYLECLEARALL);
}

void Editor::SetColours(Colour text, Colour background) {
  Call(SCI_STYLESETFORE, STYLE_DEFAULT, ColourOr(text, COLOR_WINDOWTEXT));
  Call(SCI_STYLESETBACK, STYLE_DEFAULT, ColourOr(background, COLOR_WINDOW));
  Call(SCI_STYLECLEARALL);
}

void Editor::OnNotify(const SCNotification& notification) {
  if (notification.nmhdr.code != SCN_MODIFIED || m_loading || !m_pieces) return;
  if ((notification.modificationType & SC_MOD_INSERTCHECK) == 0 || notification.text == nullptr) return;
  // Only piece ends are carriage returns: any other line end comes in as "\n".
  const std::string_view inserted(notification.text, static_cast<std::size_t>(notification.length));
  if (inserted.find('\r') == std::string_view::npos) return;
  std::string changed;
  changed.reserve(inserted.size());
  for (std::size_t i = 0; i < inserted.size(); ++i) {
    if (inserted[i] != '\r') {
      changed.push_back(inserted[i]);
    } else if (i + 1 >= inserted.size() || inserted[i + 1] != '\n') {
      changed.push_back('\n');
    }
  }
  Call(SCI_CHANGEINSERTION, changed.size(), reinterpret_cast<intptr_t>(changed.data()));
}

std::string Editor::SelectedText() const {
  const auto length = static_cast<std::size_t>(Call(SCI_GETSELTEXT));
  std::string text(length + 1, '\0');
  Call(SCI_GETSELTEXT, 0, reinterpret_cast<intptr_t>(text.data()));
  text.resize(length);
  return text;
}

bool Editor::SelectionSpansPieces() const {
  if (!m_pieces || Call(SCI_GETSELECTIONEMPTY) != 0) return false;
  const intptr_t firstLine = Call(SCI_LINEFROMPOSITION, static_cast<uintptr_t>(Call(SCI_GETSELECTIONSTART)));
  const intptr_t lastLine = Call(SCI_LINEFROMPOSITION, static_cast<uintptr_t>(Call(SCI_GETSELECTIONEND)));
  if (firstLine == lastLine && Call(SCI_GETSELECTIONS) == 1) return false;
  return SelectedText().find('\r') != std::string::npos;
}

LRESULT CALLBACK Editor::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR self) {
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, &Editor::SubclassProc, kEditorSubclass);
    reinterpret_cast<Editor*>(self)->m_window = nullptr;
    return DefSubclassProc(window, message, wParam, lParam);
  }
  return reinterpret_cast<Editor*>(self)->Filter(message, wParam, lParam);
}

LRESULT Editor::Filter(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!m_pieces) return DefSubclassProc(m_window, message, wParam, lParam);
  // Copying and cutting (keys, the context menu, WM_COPY and WM_CUT, a
  // line copied whole) are done as the control does them; what it put on
  // the clipboard is then put back without piece ends.
  const bool mayCopy = message == WM_COPY || message == WM_CUT || message == WM_COMMAND ||
                       (message == WM_KEYDOWN && ControlOrShiftDown());
  if (mayCopy) {
    const DWORD before = GetClipboardSequenceNumber();
    const LRESULT result = DefSubclassProc(m_window, message, wParam, lParam);
    if (GetClipboardSequenceNumber() != before) {
      const std::optional<std::string> copied = ReadClipboardText(m_window);
      if (copied && copied->find('\r') != std::string::npos) {
        const std::string text = WithoutCarriageReturns(*copied);
        Call(SCI_COPYTEXT, text.size(), reinterpret_cast<intptr_t>(text.data()));
      }
    }
    return result;
  }
  if (message == WM_LBUTTONDOWN && SelectionSpansPieces()) {
    // A drag would carry the piece ends along; a click in the selection
    // places the caret instead.
    Call(SCI_SETEMPTYSELECTION, static_cast<uintptr_t>(Call(SCI_GETCURRENTPOS)));
  }
  if (message == WM_KEYDOWN && (wParam == VK_BACK || wParam == VK_DELETE) && GetKeyState(VK_SHIFT) >= 0 &&
      Call(SCI_GETSELECTIONEMPTY) != 0) {
    // A piece end is no character: the key acts on the character beyond it.
    const intptr_t caret = Call(SCI_GETCURRENTPOS);
    if (wParam == VK_BACK && caret > 0 && Call(SCI_GETCHARAT, static_cast<uintptr_t>(caret - 1)) == '\r') {
      Call(SCI_SETEMPTYSELECTION, static_cast<uintptr_t>(caret - 1));
    } else if (wParam == VK_DELETE && Call(SCI_GETCHARAT, static_cast<uintptr_t>(caret)) == '\r') {
      Call(SCI_SETEMPTYSELECTION, static_cast<uintptr_t>(caret + 1));
    }
  }
  return DefSubclassProc(m_window, message, wParam, lParam);
}

}  // namespace platform::win32
