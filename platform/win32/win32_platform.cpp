// The native Win32 backend of the windowing layer: windows, gadgets, colours, the message loop and threads.
#include "platform/win32/win32_platform.h"

#include "platform/win32/clipboard.h"
#include "platform/win32/dialogs.h"
#include "platform/win32/editor.h"
#include "platform/win32/gadget_controls.h"
#include "platform/win32/pictures.h"
#include "platform/win32/post_box.h"
#include "platform/win32/tooltips.h"
#include "platform/win32/top_window.h"
#include "platform/win32/wide_text.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <Scintilla.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

namespace platform {
namespace {

using namespace platform::win32;

constexpr int kPointsPerInch = 72;

COLORREF ToColorRef(Rgb rgb) { return RGB(rgb.red, rgb.green, rgb.blue); }

bool IsButtonKind(GadgetKind kind) { return kind == GadgetKind::Button || kind == GadgetKind::ImageButton; }

// The font the controls start with: the one the system uses for message
// boxes, as a native program's dialogues show.
HFONT CreateDefaultFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    if (HFONT font = CreateFontIndirectW(&metrics.lfMessageFont)) return font;
  }
  return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

struct TopWindow {
  HWND handle = nullptr;
  WindowSpec spec;
  Colour background;
  HWND plainTips = nullptr;  // made on the first plain tooltip
  HWND lastFocus = nullptr;  // the gadget that had the focus when the window was left
};

struct Gadget {
  HWND handle = nullptr;
  int window = 0;
  GadgetKind kind = GadgetKind::Text;
  std::string text;
  Colour textColour;
  Colour background;
  bool coloured = false;     // some colour is not the system's default
  HBITMAP picture = nullptr; // owned: the gadget's own copy of its image
  ShownPicture shown;
  std::unique_ptr<Editor> editor;
  HFONT font = nullptr;
  std::vector<HWND> balloons;
};

class Win32Platform final : public Platform, public MessageHandler {
 public:
  Win32Platform(std::shared_ptr<PostBox> posts, bool oleStarted);
  ~Win32Platform() override;

  bool OpenWindow(const WindowSpec& spec) override;
  void CloseWindow(int window) override;
  bool IsWindowOpen(int window) const override { return m_windows.count(window) != 0; }
  void ShowWindowAgain(int window) override;
  void SetWindowColour(int window, Colour background) override;
  bool CreateImage(int number, const Pixmap& pixmap) override;
  bool CreateGadget(const GadgetSpec& spec) override;
  bool GadgetExists(int gadget) const override { return m_gadgets.count(gadget) != 0; }
  void SetGadgetText(int gadget, const std::string& text) override;
  std::string GetGadgetText(int gadget) const override;
  void SetGadgetFont(int gadget, int font) override;
  void SetGadgetColours(int gadget, Colour text, Colour background) override;
  void SetGadgetHidden(int gadget, bool hidden) override;
  void MoveGadget(int gadget, int x, int y, int width, int height) override;
  void SetGadgetToolTip(int gadget, const std::string& text) override;
  int AddBalloonTip(int window, int gadget, const std::string& text, int maxWidth) override;
  bool LoadFont(int number, const FontSpec& spec) override;
  Event WaitEvent() override;
  std::string FileRequester(const RequesterSpec& spec) override {
    return RunFileRequester(spec, DialogueOwner(), TopHandles());
  }
  int ShowMessageBox(const std::string& title, const std::string& text, unsigned type) override {
    return RunMessageBox(title, text, type, DialogueOwner(), TopHandles());
  }
  std::optional<std::string> GetClipboardText() override { return ReadClipboardText(m_posts->window()); }
  bool SetClipboardText(const std::string& text) override { return WriteClipboardText(m_posts->window(), text); }
  void RunOnUiThread(std::function<void()> change) override;
  bool StartThread(std::function<void()> work) override;
  void Delay(int milliseconds) override;
  [[noreturn]] void EndProcess(int exitCode) override;

  bool OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  TopWindow* WindowOf(HWND handle);
  Gadget* GadgetOf(HWND handle);
  Gadget* FindGadget(int gadget);
  const Gadget* FindGadget(int gadget) const;
  void FreeGadget(int gadget);
  void FreeUnusedFonts();
  HBRUSH Brush(COLORREF colour);
  HBRUSH WindowBrush(const TopWindow& window);
  COLORREF WindowColour(const TopWindow& window) const;
  bool Colourise(const TopWindow& window, HWND control, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  void DrawOwnerButton(const TopWindow& window, const DRAWITEMSTRUCT& item);
  bool Reactivate(TopWindow& window, WPARAM wParam, LRESULT& result);
  bool PassToDialogManager(MSG& message);
  HWND DialogueOwner() const;
  std::vector<HWND> TopHandles() const;

  std::shared_ptr<PostBox> m_posts;
  bool m_oleStarted = false;
  HFONT m_defaultFont = nullptr;
  std::map<int, TopWindow> m_windows;
  std::map<int, Gadget> m_gadgets;
  std::unordered_map<HWND, int> m_gadgetOfHandle;
  std::map<int, Picture> m_images;
  std::map<int, HFONT> m_fonts;
  std::vector<HFONT> m_retiredFonts;  // replaced while a gadget still shows them
  std::map<COLORREF, HBRUSH> m_brushes;
  std::deque<Event> m_events;
};

Win32Platform::Win32Platform(std::shared_ptr<PostBox> posts, bool oleStarted)
    : m_posts(std::move(posts)), m_oleStarted(oleStarted), m_defaultFont(CreateDefaultFont()) {}

Win32Platform::~Win32Platform() {
  m_posts->Close();
  while (!m_windows.empty()) CloseWindow(m_windows.begin()->first);
  for (auto& [number, font] : m_fonts) DeleteObject(font);
  for (HFONT font : m_retiredFonts) DeleteObject(font);
  for (auto& [colour, brush] : m_brushes) DeleteObject(brush);
  DeleteObject(m_defaultFont);
  if (m_oleStarted) OleUninitialize();
}

// --- windows -----------------------------------------------------------------------------

bool Win32Platform::OpenWindow(const WindowSpec& spec) {
  if (spec.clientWidth <= 0 || spec.clientHeight <= 0) return false;
  CloseWindow(spec.number);
  // Messages that come before the record exists take the default paths.
  HWND handle = CreateTopWindow(spec, this);
  if (handle == nullptr) return false;
  m_windows[spec.number] = TopWindow{handle, spec, Colour::SystemDefault(), nullptr, nullptr};
  return true;
}

void Win32Platform::CloseWindow(int window) {
  const auto found = m_windows.find(window);
  if (found == m_windows.end()) return;
  std::vector<int> gadgets;
  for (const auto& [number, gadget] : m_gadgets) {
    if (gadget.window == window) gadgets.push_back(number);
  }
  for (int number : gadgets) FreeGadget(number);
  HWND handle = found->second.handle;
  m_windows.erase(found);
  DestroyWindow(handle);  // its tooltips go with it
}

void Win32Platform::ShowWindowAgain(int window) {
  const auto found = m_windows.find(window);
  if (found == m_windows.end()) return;
  ShowWindow(found->second.handle, SW_SHOW);  // a minimised window stays minimised
  SetForegroundWindow(found->second.handle);
}

void Win32Platform::SetWindowColour(int window, Colour background) {
  const auto found = m_windows.find(window);
  if (found == m_windows.end()) return;
  found->second.background = background;
  RedrawWindow(found->second.handle, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

TopWindow* Win32Platform::WindowOf(HWND handle) {
  for (auto& [number, window] : m_windows) {
    if (window.handle == handle) return &window;
  }
  return nullptr;
}

std::vector<HWND> Win32Platform::TopHandles() const {
  std::vector<HWND> handles;
  for (const auto& [number, window] : m_windows) handles.push_back(window.handle);
  return handles;
}

// The active program window owns a dialogue; without one, the dialogue is
// modal to all of them through the owner-less path.
HWND Win32Platform::DialogueOwner() const {
  HWND active = GetActiveWindow();
  for (const auto& [number, window] : m_windows) {
    if (window.handle == active && !(window.spec.style & kPopup)) return active;
  }
  return nullptr;
}

// --- images and gadgets ------------------------------------------------------------------

bool Win32Platform::CreateImage(int number, const Pixmap& pixmap) {
  std::optional<Picture> picture = PictureFromPixmap(pixmap);
  if (!picture) return false;
  m_images[number] = std::move(*picture);
  return true;
}

bool Win32Platform::CreateGadget(const GadgetSpec& spec) {
  const auto window = m_windows.find(spec.window);
  if (window == m_windows.end()) return false;
  FreeGadget(spec.number);
  Gadget gadget;
  gadget.window = spec.window;
  gadget.kind = spec.kind;
  gadget.text = spec.text;
  const auto image = m_images.find(spec.image);
  if ((spec.kind == GadgetKind::Image || spec.kind == GadgetKind::ImageButton) && image != m_images.end()) {
    gadget.picture = CreateDibSection(image->second);
    gadget.shown = {gadget.picture, image->second.width, image->second.height};
  }
  if (spec.kind == GadgetKind::Editor) {
    gadget.editor = Editor::Create(window->second.handle, spec);
    if (gadget.editor != nullptr) {
      gadget.handle = gadget.editor->window();
      gadget.editor->SetText(spec.text);
      LowerFrames(window->second.handle);
    }
  } else {
    gadget.handle = CreateGadgetControl(window->second.handle, spec, gadget.shown);
    if (gadget.handle != nullptr) {
      SendMessageW(gadget.handle, WM_SETFONT, reinterpret_cast<WPARAM>(m_defaultFont), TRUE);
      if (spec.kind == GadgetKind::StatusField) KeepLinesUnwrapped(gadget.handle);
    }
  }
  if (gadget.handle == nullptr) {
    if (gadget.picture != nullptr) DeleteObject(gadget.picture);
    return false;
  }
  m_gadgetOfHandle[gadget.handle] = spec.number;
  // The first gadget that takes the focus gets it, as in a dialogue.
  HWND focus = GetFocus();
  if ((focus == nullptr || focus == window->second.handle) && GetActiveWindow() == window->second.handle &&
      (GetWindowLongPtrW(gadget.handle, GWL_STYLE) & WS_TABSTOP)) {
    SetFocus(gadget.handle);
  }
  m_gadgets[spec.number] = std::move(gadget);
  return true;
}

Gadget* Win32Platform::FindGadget(int gadget) {
  const auto found = m_gadgets.find(gadget);
  return found != m_gadgets.end() ? &found->second : nullptr;
}

const Gadget* Win32Platform::FindGadget(int gadget) const {
  const auto found = m_gadgets.find(gadget);
  return found != m_gadgets.end() ? &found->second : nullptr;
}

Gadget* Win32Platform::GadgetOf(HWND handle) {
  const auto found = m_gadgetOfHandle.find(handle);
  return found != m_gadgetOfHandle.end() ? FindGadget(found->second) : nullptr;
}

void Win32Platform::FreeGadget(int number) {
  const auto found = m_gadgets.find(number);
  if (found == m_gadgets.end()) return;
  Gadget& gadget = found->second;
  ReleaseControlPicture(gadget.handle, gadget.kind, gadget.picture);
  if (const auto window = m_windows.find(gadget.window); window != m_windows.end()) {
    RemovePlainTip(window->second.plainTips, gadget.handle);
  }
  for (HWND balloon : gadget.balloons) DestroyWindow(balloon);
  m_gadgetOfHandle.erase(gadget.handle);
  if (gadget.editor != nullptr) {
    gadget.editor.reset();
  } else {
    DestroyWindow(gadget.handle);
  }
  if (gadget.picture != nullptr) DeleteObject(gadget.picture);
  m_gadgets.erase(found);
  FreeUnusedFonts();
}

void Win32Platform::SetGadgetText(int number, const std::string& text) {
  Gadget* gadget = FindGadget(number);
  if (gadget == nullptr) return;
  gadget->text = text;
  if (gadget->editor != nullptr) {
    gadget->editor->SetText(text);
  } else {
    ShowControlText(gadget->handle, gadget->kind, text);
  }
}

std::string Win32Platform::GetGadgetText(int number) const {
  const Gadget* gadget = FindGadget(number);
  if (gadget == nullptr) return {};
  return gadget->editor != nullptr ? gadget->editor->Text() : gadget->text;
}

void Win32Platform::SetGadgetFont(int number, int font) {
  Gadget* gadget = FindGadget(number);
  const auto found = m_fonts.find(font);
  if (gadget == nullptr || found == m_fonts.end()) return;
  gadget->font = found->second;
  if (gadget->editor != nullptr) {
    gadget->editor->SetFont(found->second);
  } else {
    SendMessageW(gadget->handle, WM_SETFONT, reinterpret_cast<WPARAM>(found->second), TRUE);
    if (gadget->kind == GadgetKind::StatusField) KeepLinesUnwrapped(gadget->handle);
  }
  FreeUnusedFonts();
}

void Win32Platform::SetGadgetColours(int number, Colour text, Colour background) {
  Gadget* gadget = FindGadget(number);
  if (gadget == nullptr) return;
  gadget->textColour = text;
  gadget->background = background;
  gadget->coloured = text != Colour::SystemDefault() || background != Colour::SystemDefault();
  if (gadget->editor != nullptr) {
    gadget->editor->SetColours(text, background);
    return;
  }
  if (IsButtonKind(gadget->kind)) SetOwnerDrawn(gadget->handle, gadget->coloured);
  InvalidateRect(gadget->handle, nullptr, TRUE);
}

void Win32Platform::SetGadgetHidden(int number, bool hidden) {
  if (Gadget* gadget = FindGadget(number)) ShowWindow(gadget->handle, hidden ? SW_HIDE : SW_SHOWNA);
}

void Win32Platform::MoveGadget(int number, int x, int y, int width, int height) {
  Gadget* gadget = FindGadget(number);
  if (gadget == nullptr) return;
  MoveWindow(gadget->handle, x, y, width, height, TRUE);
  if (gadget->kind == GadgetKind::StatusField) KeepLinesUnwrapped(gadget->handle);
}

void Win32Platform::SetGadgetToolTip(int number, const std::string& text) {
  Gadget* gadget = FindGadget(number);
  if (gadget == nullptr) return;
  TopWindow& window = m_windows.at(gadget->window);
  SetPlainTip(window.handle, window.plainTips, gadget->handle, text);
}

int Win32Platform::AddBalloonTip(int window, int number, const std::string& text, int maxWidth) {
  const auto owner = m_windows.find(window);
  Gadget* gadget = FindGadget(number);
  if (owner == m_windows.end() || gadget == nullptr) return 0;
  HWND balloon = CreateBalloonTip(owner->second.handle, gadget->handle, text, maxWidth);
  if (balloon == nullptr) return 0;
  gadget->balloons.push_back(balloon);
  // Window handles are 32-bit values, also in 64-bit processes.
  return static_cast<int>(reinterpret_cast<INT_PTR>(balloon));
}

// --- fonts and colours -------------------------------------------------------------------

// Sizes in points become pixels at the screen's resolution; the highest
// quality the font mapper knows is asked for (proof quality: the truest
// glyphs; smoothing follows the system's setting).
bool Win32Platform::LoadFont(int number, const FontSpec& spec) {
  if (spec.face.empty() || spec.pointSize <= 0) return false;
  HDC screen = GetDC(nullptr);
  const int height = -MulDiv(spec.pointSize, GetDeviceCaps(screen, LOGPIXELSY), kPointsPerInch);
  ReleaseDC(nullptr, screen);
  LOGFONTW description{};
  description.lfHeight = height;
  description.lfWeight = spec.bold ? FW_BOLD : FW_NORMAL;
  description.lfCharSet = DEFAULT_CHARSET;
  description.lfOutPrecision = OUT_DEFAULT_PRECIS;
  description.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  description.lfQuality = PROOF_QUALITY;
  description.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  const std::wstring face = Widen(spec.face);
  lstrcpynW(description.lfFaceName, face.c_str(), LF_FACESIZE);
  HFONT font = CreateFontIndirectW(&description);
  if (font == nullptr) return false;
  if (const auto old = m_fonts.find(number); old != m_fonts.end()) m_retiredFonts.push_back(old->second);
  m_fonts[number] = font;
  FreeUnusedFonts();
  return true;
}

void Win32Platform::FreeUnusedFonts() {
  std::erase_if(m_retiredFonts, [this](HFONT font) {
    const bool used = std::any_of(m_gadgets.begin(), m_gadgets.end(),
                                  [font](const auto& entry) { return entry.second.font == font; });
    if (!used) DeleteObject(font);
    return !used;
  });
}

HBRUSH Win32Platform::Brush(COLORREF colour) {
  HBRUSH& brush = m_brushes[colour];
  if (brush == nullptr) brush = CreateSolidBrush(colour);
  return brush;
}

COLORREF Win32Platform::WindowColour(const TopWindow& window) const {
  if (window.background.kind == Colour::Kind::Explicit) return ToColorRef(window.background.rgb);
  return GetSysColor(COLOR_BTNFACE);
}

HBRUSH Win32Platform::WindowBrush(const TopWindow& window) {
  if (window.background.kind == Colour::Kind::Explicit) return Brush(ToColorRef(window.background.rgb));
  return GetSysColorBrush(COLOR_BTNFACE);
}

// A coloured control's WM_CTLCOLOR*: the system's answer first, for the
// colours left at their default, then the colours asked for. A transparent
// background is the window's own, with text drawn without a background.
bool Win32Platform::Colourise(const TopWindow& window, HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) {
  const Gadget* gadget = GadgetOf(control);
  if (gadget == nullptr || !gadget->coloured) return false;
  HDC dc = reinterpret_cast<HDC>(wParam);
  result = DefWindowProcW(window.handle, message, wParam, lParam);
  if (gadget->textColour.kind == Colour::Kind::Explicit) SetTextColor(dc, ToColorRef(gadget->textColour.rgb));
  switch (gadget->background.kind) {
    case Colour::Kind::Explicit: {
      const COLORREF colour = ToColorRef(gadget->background.rgb);
      SetBkColor(dc, colour);
      result = reinterpret_cast<LRESULT>(Brush(colour));
      break;
    }
    case Colour::Kind::Transparent:
      SetBkMode(dc, TRANSPARENT);
      SetBkColor(dc, WindowColour(window));
      result = reinterpret_cast<LRESULT>(WindowBrush(window));
      break;
    case Colour::Kind::SystemDefault:
      break;
  }
  return true;
}

void Win32Platform::DrawOwnerButton(const TopWindow& window, const DRAWITEMSTRUCT& item) {
  const Gadget* gadget = GadgetOf(item.hwndItem);
  if (gadget == nullptr) return;
  DrawButton(item, {gadget->textColour, gadget->background, WindowColour(window), gadget->shown});
}

// --- events ------------------------------------------------------------------------------

bool Win32Platform::OnMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  TopWindow* window = WindowOf(handle);
  if (window == nullptr) return false;
  switch (message) {
    case WM_CLOSE:  // the close box, the system menu, Alt+F4: the program decides
      m_events.push_back({EventKind::CloseRequest, window->spec.number, -1});
      result = 0;
      return true;
    case WM_ERASEBKGND: {
      if (window->background.kind != Colour::Kind::Explicit) return false;
      RECT client;
      GetClientRect(handle, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, WindowBrush(*window));
      result = 1;
      return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      return Colourise(*window, reinterpret_cast<HWND>(lParam), message, wParam, lParam, result);
    case WM_DRAWITEM:
      DrawOwnerButton(*window, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      result = TRUE;
      return true;
    case WM_COMMAND: {
      // Every click of a button is a gadget event; other notifications are not.
      const Gadget* gadget = GadgetOf(reinterpret_cast<HWND>(lParam));
      const WORD code = HIWORD(wParam);
      if (gadget == nullptr || !IsButtonKind(gadget->kind)) return false;
      if (code == BN_CLICKED || code == BN_DOUBLECLICKED) {
        m_events.push_back({EventKind::Gadget, window->spec.number, m_gadgetOfHandle.at(gadget->handle)});
      }
      result = 0;
      return true;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      Gadget* gadget = GadgetOf(header->hwndFrom);
      if (gadget == nullptr || gadget->editor == nullptr) return false;
      gadget->editor->OnNotify(*reinterpret_cast<const SCNotification*>(lParam));
      result = 0;
      return true;
    }
    case WM_ACTIVATE:
      return Reactivate(*window, wParam, result);
    case DM_GETDEFID: {
      // Enter presses the focused button.
      const Gadget* focused = GadgetOf(GetFocus());
      result = focused != nullptr && IsButtonKind(focused->kind) && focused->window == window->spec.number
                   ? MAKELRESULT(m_gadgetOfHandle.at(focused->handle), DC_HASDEFID)
                   : 0;
      return true;
    }
    default:
      return false;
  }
}

// A window left and activated again gives the focus back to the gadget
// that had it, or to its first focusable gadget, as a dialogue does.
bool Win32Platform::Reactivate(TopWindow& window, WPARAM wParam, LRESULT& result) {
  if (LOWORD(wParam) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(window.handle, focus)) window.lastFocus = focus;
    return false;
  }
  if (HIWORD(wParam) != 0) return false;  // minimised
  HWND target = window.lastFocus;
  if (target == nullptr || !IsWindow(target) || !IsChild(window.handle, target)) {
    target = GetNextDlgTabItem(window.handle, nullptr, FALSE);
  }
  if (target == nullptr) return false;
  SetFocus(target);
  result = 0;
  return true;
}

// Tab, Shift+Tab, arrows, Space and mnemonics work as in a dialogue.
// Escape, and Enter away from a button, stay with the focused control: the
// dialogue manager would turn them into clicks of controls 1 and 2.
bool Win32Platform::PassToDialogManager(MSG& message) {
  HWND root = GetAncestor(message.hwnd, GA_ROOT);
  if (root == nullptr || WindowOf(root) == nullptr) return false;
  const bool key = message.message == WM_KEYDOWN || message.message == WM_KEYUP || message.message == WM_CHAR;
  if (key && message.wParam == VK_ESCAPE) return false;
  if (key && message.wParam == VK_RETURN) {
    const Gadget* focused = GadgetOf(GetFocus());
    if (focused == nullptr || !IsButtonKind(focused->kind)) return false;
  }
  return IsDialogMessageW(root, &message) != 0;
}

Event Win32Platform::WaitEvent() {
  while (m_events.empty()) {
    MSG message;
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == -1) return {EventKind::Other, -1, -1};
    if (got == 0) continue;  // nobody ends this loop with WM_QUIT; only a close request counts
    if (PassToDialogManager(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  const Event next = m_events.front();
  m_events.pop_front();
  return next;
}

// --- threads -----------------------------------------------------------------------------

void Win32Platform::RunOnUiThread(std::function<void()> change) {
  const std::shared_ptr<PostBox> posts = m_posts;
  posts->Post(std::move(change));
}

bool Win32Platform::StartThread(std::function<void()> work) {
  try {
    std::thread(std::move(work)).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

void Win32Platform::Delay(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// The clipboard keeps a copied text after the process: its memory is the
// system's once handed over.
void Win32Platform::EndProcess(int exitCode) {
  m_posts->Close();
  std::fflush(nullptr);
  std::_Exit(exitCode);
}

}  // namespace

std::unique_ptr<Platform> CreateWin32Platform() {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
  if (!InitCommonControlsEx(&controls)) return nullptr;
  // OLE carries the editor's drag and drop.
  const bool oleStarted = SUCCEEDED(OleInitialize(nullptr));
  std::shared_ptr<win32::PostBox> posts = win32::PostBox::Create();
  if (posts == nullptr) {
    if (oleStarted) OleUninitialize();
    return nullptr;
  }
  return std::make_unique<Win32Platform>(std::move(posts), oleStarted);
}

}  // namespace platform
