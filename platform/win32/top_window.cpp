// Window class, styles, placement and the procedure shared by the program's windows.
#include "platform/win32/top_window.h"

#include "platform/win32/wide_text.h"
#include "resources/embedded.h"

#include <algorithm>

namespace platform::win32 {
namespace {

constexpr int kIconResource = 1;  // the program's icon in its resources, when it has one
constexpr DWORD kIconFormatVersion = 0x00030000;
constexpr int kIconSide = 48;

// The program's icon: from its resources, else made from the embedded
// picture (icons may hold PNG data since Windows Vista).
HICON ProgramIcon(HINSTANCE instance) {
  if (HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(kIconResource))) return icon;
  const resources::Blob png = resources::WindowIcon();
  return CreateIconFromResourceEx(const_cast<BYTE*>(png.data), static_cast<DWORD>(png.size), TRUE,
                                  kIconFormatVersion, kIconSide, kIconSide, LR_DEFAULTCOLOR);
}

LRESULT CALLBACK TopWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* handler = reinterpret_cast<MessageHandler*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  LRESULT result = 0;
  if (handler != nullptr && handler->OnMessage(window, message, wParam, lParam, result)) return result;
  return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterTopWindowClass() {
  static const bool registered = [] {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = &TopWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.hIcon = ProgramIcon(instance);
    windowClass.lpszClassName = kTopWindowClass;
    return RegisterClassExW(&windowClass) != 0;
  }();
  return registered;
}

}  // namespace

WindowStyles StylesFor(unsigned style) {
  if (style & kPopup) return {WS_POPUP, WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE};
  // WS_OVERLAPPED alone would get a caption anyway: a window without a
  // title bar is a popup with a thin border.
  DWORD bits = (style & kTitleBar) ? WS_OVERLAPPED | WS_CAPTION : WS_POPUP | WS_BORDER;
  if (style & kSystemMenu) bits |= WS_SYSMENU;
  if (style & kMinimizeBox) bits |= WS_MINIMIZEBOX;
  if (style & kMaximizeBox) bits |= WS_MAXIMIZEBOX;
  if (style & kSizable) bits |= WS_THICKFRAME;
  return {bits, 0};
}

RECT OuterRect(const WindowSpec& spec, const WindowStyles& styles, SIZE screen) {
  RECT outer{0, 0, spec.clientWidth, spec.clientHeight};
  AdjustWindowRectEx(&outer, styles.style, FALSE, styles.exStyle);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  int left = spec.x;
  int top = spec.y;
  if (spec.centred) {
    left = (screen.cx - std::min<int>(width, screen.cx)) / 2;
    top = (screen.cy - std::min<int>(height, screen.cy)) / 2;
  }
  return {left, top, left + width, top + height};
}

HWND CreateTopWindow(const WindowSpec& spec, MessageHandler* handler) {
  if (!RegisterTopWindowClass()) return nullptr;
  const WindowStyles styles = StylesFor(spec.style);
  const SIZE screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  const RECT outer = OuterRect(spec, styles, screen);
  HWND window = CreateWindowExW(styles.exStyle, kTopWindowClass, Widen(spec.title).c_str(), styles.style,
                                outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top,
                                nullptr, nullptr, GetModuleHandleW(nullptr), handler);
  if (window == nullptr) return nullptr;
  if (spec.style & kPopup) {
    // It takes no input: clicks on it go nowhere, as on a picture.
    EnableWindow(window, FALSE);
    ShowWindow(window, SW_SHOWNOACTIVATE);
  } else {
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
  }
  UpdateWindow(window);
  return window;
}

}  // namespace platform::win32
