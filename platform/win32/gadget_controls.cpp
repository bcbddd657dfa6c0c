// Creates statics, group boxes, buttons and the status field, and draws coloured buttons.
#include "platform/win32/gadget_controls.h"

#include "platform/win32/pictures.h"
#include "platform/win32/wide_text.h"

#include <commctrl.h>

#include <vector>

namespace platform::win32 {
namespace {

constexpr UINT_PTR kStatusFieldSubclass = 1;
constexpr int kPressedShadePercent = 87;  // a pressed face keeps this much of its brightness
constexpr int kBorderShadePercent = 50;   // the border of a flat face
constexpr int kFocusInset = 3;
constexpr int kUnwrappedOverhang = 8192;  // pixels the status field's lines may reach beyond each side

COLORREF ToColorRef(Rgb rgb) { return RGB(rgb.red, rgb.green, rgb.blue); }

COLORREF Shaded(COLORREF colour, int percent) {
  return RGB(GetRValue(colour) * percent / 100, GetGValue(colour) * percent / 100,
             GetBValue(colour) * percent / 100);
}

// The status field is a multi-line edit, which would keep Tab and Enter for
// itself and select all its text when tabbed into: it takes the arrows and
// characters only, so Tab moves on as from any other gadget.
LRESULT CALLBACK StatusFieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  switch (message) {
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_NCDESTROY:
      RemoveWindowSubclass(field, &StatusFieldProc, kStatusFieldSubclass);
      break;
    default:
      break;
  }
  return DefSubclassProc(field, message, wParam, lParam);
}

struct ControlKind {
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
};

ControlKind KindOf(const GadgetSpec& spec) {
  switch (spec.kind) {
    case GadgetKind::Image:
      return {L"STATIC", SS_BITMAP, 0};
    case GadgetKind::Text:
      return {L"STATIC", static_cast<DWORD>((spec.centred ? SS_CENTER : SS_LEFT) | SS_NOPREFIX), 0};
    case GadgetKind::Frame:
      return {L"BUTTON", BS_GROUPBOX, 0};
    case GadgetKind::Button:
      return {L"BUTTON", static_cast<DWORD>(BS_PUSHBUTTON | WS_TABSTOP | (spec.flat ? BS_FLAT : 0)), 0};
    case GadgetKind::ImageButton:
      return {L"BUTTON", BS_PUSHBUTTON | BS_BITMAP | WS_TABSTOP, 0};
    case GadgetKind::StatusField:
      return {L"EDIT", ES_MULTILINE | ES_READONLY | ES_CENTER | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case GadgetKind::Editor:
      break;
  }
  return {nullptr, 0, 0};
}

}  // namespace

HWND CreateGadgetControl(HWND parent, const GadgetSpec& spec, const ShownPicture& picture) {
  const ControlKind kind = KindOf(spec);
  if (kind.className == nullptr) return nullptr;
  HWND control = CreateWindowExW(kind.exStyle, kind.className, L"",
                                 WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | kind.style, spec.x, spec.y,
                                 spec.width, spec.height, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.number)),
                                 GetModuleHandleW(nullptr), nullptr);
  if (control == nullptr) return nullptr;
  switch (spec.kind) {
    case GadgetKind::Image:
      // The static sizes itself to its picture.
      if (picture.bitmap != nullptr) SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture.bitmap));
      break;
    case GadgetKind::ImageButton:
      if (picture.bitmap != nullptr) SendMessageW(control, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture.bitmap));
      break;
    case GadgetKind::StatusField:
      SetWindowSubclass(control, &StatusFieldProc, kStatusFieldSubclass, 0);
      break;
    default:
      break;
  }
  LowerFrames(parent);
  ShowControlText(control, spec.kind, spec.text);
  return control;
}

void LowerFrames(HWND parent) {
  std::vector<HWND> frames;
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
    wchar_t className[16] = {};
    GetClassNameW(child, className, 16);
    if (lstrcmpiW(className, L"Button") == 0 && (style & BS_TYPEMASK) == BS_GROUPBOX) frames.push_back(child);
  }
  for (HWND frame : frames) SetWindowPos(frame, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void KeepLinesUnwrapped(HWND field) {
  RECT format;
  GetClientRect(field, &format);
  format.left -= kUnwrappedOverhang;
  format.right += kUnwrappedOverhang;
  SendMessageW(field, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&format));
  InvalidateRect(field, nullptr, TRUE);
}

void ShowControlText(HWND control, GadgetKind kind, const std::string& text) {
  switch (kind) {
    case GadgetKind::Text:
    case GadgetKind::Frame:
    case GadgetKind::Button:
      SetWindowTextW(control, Widen(text).c_str());
      break;
    case GadgetKind::StatusField:
      SetWindowTextW(control, WithCrLf(Widen(text)).c_str());
      KeepLinesUnwrapped(control);
      break;
    case GadgetKind::Image:
    case GadgetKind::ImageButton:
    case GadgetKind::Editor:
      break;
  }
}

void ReleaseControlPicture(HWND control, GadgetKind kind, HBITMAP own) {
  if (own == nullptr) return;
  // A static shows a copy of a picture with alpha and hands the copy back
  // here; a copy is the control's to free.
  HBITMAP shown = nullptr;
  if (kind == GadgetKind::Image) {
    shown = reinterpret_cast<HBITMAP>(SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, 0));
  } else if (kind == GadgetKind::ImageButton) {
    shown = reinterpret_cast<HBITMAP>(SendMessageW(control, BM_SETIMAGE, IMAGE_BITMAP, 0));
  }
  if (shown != nullptr && shown != own) DeleteObject(shown);
}

void SetOwnerDrawn(HWND button, bool ownerDrawn) {
  const LONG_PTR style = GetWindowLongPtrW(button, GWL_STYLE);
  const LONG_PTR type = ownerDrawn ? BS_OWNERDRAW : BS_PUSHBUTTON;
  if ((style & BS_TYPEMASK) == type) return;
  SetWindowLongPtrW(button, GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | type);
  InvalidateRect(button, nullptr, TRUE);
}

void DrawButton(const DRAWITEMSTRUCT& item, const ButtonLook& look) {
  HDC dc = item.hDC;
  RECT box = item.rcItem;
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  if (look.background.kind == Colour::Kind::Explicit) face = ToColorRef(look.background.rgb);
  if (look.background.kind == Colour::Kind::Transparent) face = look.parentBackground;
  if (item.itemState & ODS_SELECTED) face = Shaded(face, kPressedShadePercent);
  SetDCBrushColor(dc, face);
  FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  SetDCBrushColor(dc, Shaded(face, kBorderShadePercent));
  FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));

  const int shift = (item.itemState & ODS_SELECTED) ? 1 : 0;
  if (look.picture.bitmap != nullptr) {
    const int x = (box.right - box.left - look.picture.width) / 2 + shift;
    const int y = (box.bottom - box.top - look.picture.height) / 2 + shift;
    DrawPicture(dc, look.picture.bitmap, look.picture.width, look.picture.height, x, y);
  } else {
    const int length = GetWindowTextLengthW(item.hwndItem);
    std::wstring caption(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(item.hwndItem, caption.data(), length + 1);
    caption.resize(static_cast<std::size_t>(length));
    COLORREF ink = GetSysColor(COLOR_BTNTEXT);
    if (look.text.kind == Colour::Kind::Explicit) ink = ToColorRef(look.text.rgb);
    if (item.itemState & ODS_DISABLED) ink = GetSysColor(COLOR_GRAYTEXT);
    auto font = reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
    HGDIOBJ oldFont = font != nullptr ? SelectObject(dc, font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ink);
    RECT text = box;
    OffsetRect(&text, shift, shift);
    const UINT prefix = (item.itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0;
    DrawTextW(dc, caption.c_str(), length, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | prefix);
    if (oldFont != nullptr) SelectObject(dc, oldFont);
  }
  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
    RECT focus = box;
    InflateRect(&focus, -kFocusInset, -kFocusInset);
    DrawFocusRect(dc, &focus);
  }
}

}  // namespace platform::win32
