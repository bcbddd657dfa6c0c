// The Editor gadget of the Win32 backend: a Scintilla control that stays quick with very long lines.
#pragma once

#include "platform/platform.h"

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

struct SCNotification;

namespace platform::win32 {

// A line longer than kPieceBytes is shown as several pieces, each ended by
// a carriage return that is no part of the text: laying out and editing a
// text of one 5 MB line then costs what a text of short lines costs. A
// piece ends just after a blank within kBreakWindow bytes of the limit,
// else at the limit, never inside a UTF-8 sequence.
inline constexpr std::size_t kPieceBytes = 4096;
inline constexpr std::size_t kBreakWindow = 256;

// The text as the editor holds it: every line longer than kPieceBytes cut
// into pieces by "\r". For a text without "\r", removing every "\r" from
// the result gives the text back.
std::string LayOutPieces(std::string_view text);
// True when a text (with "\n" line ends) has a line longer than kPieceBytes.
bool HasLongLine(std::string_view text);

// The control keeps piece ends out of everything the user sees leave it:
// a typed, pasted or dropped line end is always "\n"; Backspace and Delete
// at a piece end remove the character beyond it; copying and cutting put
// the text without piece ends on the clipboard, and a selection that spans
// a piece end is not dragged.
class Editor {
 public:
  // Creates the control as gadget `spec.number` of `parent`; nullptr on failure.
  static std::unique_ptr<Editor> Create(HWND parent, const GadgetSpec& spec);
  ~Editor();

  Editor(const Editor&) = delete;
  Editor& operator=(const Editor&) = delete;

  HWND window() const { return m_window; }

  // Replaces the text (UTF-8, "\n" line ends); clears the undo history.
  void SetText(const std::string& utf8);
  // The text: exactly the text set while it is unedited (or edited back);
  // after an edit, the document without piece ends.
  std::string Text() const;
  // The face, size and weight of the font, for all the text.
  void SetFont(HFONT font);
  void SetColours(Colour text, Colour background);

  // The parent passes on the control's WM_NOTIFY here.
  void OnNotify(const SCNotification& notification);

 private:
  Editor() = default;
  intptr_t Call(unsigned message, uintptr_t wParam = 0, intptr_t lParam = 0) const;
  std::string SelectedText() const;
  bool SelectionSpansPieces() const;
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);
  LRESULT Filter(UINT message, WPARAM wParam, LPARAM lParam);

  HWND m_window = nullptr;
  intptr_t (*m_direct)(intptr_t, unsigned, uintptr_t, intptr_t) = nullptr;
  intptr_t m_directPointer = 0;
  std::string m_setText;
  bool m_pieces = false;   // the document holds piece ends
  bool m_loading = false;  // our own insertions are under way
};

}  // namespace platform::win32
