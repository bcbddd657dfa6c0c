// Creates tooltip windows and registers one tool per gadget.
#include "platform/win32/tooltips.h"

#include "platform/win32/wide_text.h"

#include <commctrl.h>

namespace platform::win32 {
namespace {

// The smallest tool record every version of the tooltip control takes;
// the full size of the version 6 headers is refused by older versions
// (and Wine's tooltips report version 5.81).
const UINT kToolInfoSize = TTTOOLINFOW_V2_SIZE;
constexpr int kPlainTipWidth = 400;  // so that long plain tips wrap as well

TOOLINFOW ToolFor(HWND owner, HWND control, std::wstring& text) {
  TOOLINFOW tool{};
  tool.cbSize = kToolInfoSize;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = owner;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text.data();
  return tool;
}

HWND CreateTipWindow(HWND owner, DWORD style) {
  HWND tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, L"", WS_POPUP | TTS_NOPREFIX | style, 0, 0, 0, 0,
                              owner, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (tips != nullptr) SetWindowPos(tips, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return tips;
}

}  // namespace

bool SetPlainTip(HWND owner, HWND& tips, HWND control, const std::string& text) {
  if (tips == nullptr) {
    tips = CreateTipWindow(owner, TTS_ALWAYSTIP);
    if (tips == nullptr) return false;
    SendMessageW(tips, TTM_SETMAXTIPWIDTH, 0, kPlainTipWidth);
  }
  std::wstring wide = Widen(text);
  TOOLINFOW tool = ToolFor(owner, control, wide);
  SendMessageW(tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  return SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
}

void RemovePlainTip(HWND tips, HWND control) {
  if (tips == nullptr) return;
  std::wstring none;
  TOOLINFOW tool = ToolFor(GetWindow(tips, GW_OWNER), control, none);
  SendMessageW(tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

HWND CreateBalloonTip(HWND owner, HWND control, const std::string& text, int maxWidth) {
  HWND tips = CreateTipWindow(owner, TTS_BALLOON);
  if (tips == nullptr) return nullptr;
  SendMessageW(tips, TTM_SETTIPTEXTCOLOR, GetSysColor(COLOR_INFOTEXT), 0);
  SendMessageW(tips, TTM_SETTIPBKCOLOR, GetSysColor(COLOR_INFOBK), 0);
  SendMessageW(tips, TTM_SETMAXTIPWIDTH, 0, maxWidth);
  std::wstring wide = Widen(text);
  TOOLINFOW tool = ToolFor(owner, control, wide);
  if (SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) == 0) {
    DestroyWindow(tips);
    return nullptr;
  }
  return tips;
}

}  // namespace platform::win32
