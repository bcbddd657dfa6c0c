// The Win32 backend of the windowing layer, driven through its interface under Wine on an X display.
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "platform/win32/dialogs.h"
#include "tests/support/win32_backend.h"

namespace {

using platform::Colour;
using platform::Event;
using platform::EventKind;
using platform::GadgetKind;
using platform::WindowSpec;
using platform::win32::Narrow;
using platform::win32::Widen;
using win32test::ClassOf;
using win32test::Pump;
using win32test::PumpFor;
using win32test::TextOf;
using win32test::TopWindowTitled;

constexpr unsigned kMainStyle = platform::kTitleBar | platform::kSystemMenu | platform::kMinimizeBox;
constexpr int kWindow = 0;
constexpr int kOtherWindow = 11;
constexpr auto kDialogWait = std::chrono::seconds(20);
constexpr int kFileNameBox = 0x47C;    // cmb13: the file name of an Explorer-style requester
constexpr int kOldFileNameBox = 0x480; // edt1, where the requester has an edit instead
constexpr int kFileTypeBox = 0x470;    // cmb1: the list of patterns
constexpr int kMessageBoxText = 0xFFFF;

COLORREF PixelOf(HWND window, int x, int y) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  HDC dc = GetDC(window);
  const COLORREF pixel = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return pixel;
}

// Waits on a worker thread for a dialogue box of this thread's titled
// `title`, then hands it to `answer`; join it after the call that shows it.
std::thread AnswerDialog(const std::string& title, std::function<void(HWND)> answer) {
  return std::thread([title, answer = std::move(answer)] {
    const auto end = std::chrono::steady_clock::now() + kDialogWait;
    while (std::chrono::steady_clock::now() < end) {
      HWND dialog = FindWindowW(L"#32770", Widen(title).c_str());
      if (dialog != nullptr && IsWindowVisible(dialog)) {
        Sleep(100);  // let it finish its start-up
        answer(dialog);
        return;
      }
      Sleep(20);
    }
    ADD_FAILURE() << "no dialogue titled " << title;
  });
}

class Win32PlatformTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (int window : {kWindow, kOtherWindow, 15, 24}) ui.CloseWindow(window);
  }

  HWND Open(const WindowSpec& spec) {
    EXPECT_TRUE(ui.OpenWindow(spec));
    return TopWindowTitled(spec.title);
  }
  HWND OpenMain() { return Open({kWindow, "Main", 640, 359, kMainStyle}); }
  HWND Gadget(HWND window, int number) { return GetDlgItem(window, number); }

  platform::Platform& ui = win32test::Backend();
};

struct WindowCase {
  const char* name;
  WindowSpec spec;
  DWORD present;
  DWORD absent;
};

TEST_F(Win32PlatformTest, WindowsHaveTheirClientSizePlaceAndStyles) {
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  const WindowCase cases[] = {
      {"main", {kWindow, "Main", 640, 359, kMainStyle}, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
       WS_MAXIMIZEBOX | WS_THICKFRAME | WS_POPUP},
      {"language", {24, "Language", 117, 56, platform::kTitleBar}, WS_CAPTION,
       WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME},
      {"progress popup", {15, "", 292, 30, platform::kPopup}, WS_POPUP | WS_DISABLED, WS_CAPTION | WS_THICKFRAME},
      {"result at a place", {kOtherWindow, "Result", 640, 660, platform::kTitleBar | platform::kSystemMenu, false, 330, 155},
       WS_CAPTION | WS_SYSMENU, WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME},
      {"larger than the screen", {kWindow, "Huge", screenWidth + 200, screenHeight + 100, kMainStyle}, WS_CAPTION,
       WS_MAXIMIZEBOX},
  };
  for (const WindowCase& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(ui.OpenWindow(c.spec));
    ASSERT_TRUE(ui.IsWindowOpen(c.spec.number));
    HWND window = TopWindowTitled(c.spec.title);
    ASSERT_NE(window, nullptr);
    PumpFor(std::chrono::milliseconds(300));  // the window manager frames it meanwhile
    RECT client;
    GetClientRect(window, &client);
    RECT outer;
    GetWindowRect(window, &outer);
    const int outerWidth = outer.right - outer.left;
    const int outerHeight = outer.bottom - outer.top;
    if (c.spec.clientWidth > screenWidth) {
      // The system keeps a window within the screen's size: it starts at the
      // screen's top-left corner, its frame maybe just beyond it.
      EXPECT_LE(client.right, c.spec.clientWidth);
      EXPECT_LE(outer.left, 0);
      EXPECT_LE(outer.top, 0);
    } else if (c.spec.centred) {
      EXPECT_EQ(client.right, c.spec.clientWidth);
      EXPECT_EQ(client.bottom, c.spec.clientHeight);
      EXPECT_EQ(outer.left, (screenWidth - std::min(outerWidth, screenWidth)) / 2);
      EXPECT_EQ(outer.top, (screenHeight - std::min(outerHeight, screenHeight)) / 2);
    } else {
      EXPECT_EQ(client.right, c.spec.clientWidth);
      EXPECT_EQ(client.bottom, c.spec.clientHeight);
      EXPECT_EQ(outer.left, c.spec.x);
      EXPECT_EQ(outer.top, c.spec.y);
    }
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    EXPECT_EQ(style & c.present, c.present) << std::hex << style;
    EXPECT_EQ(style & c.absent, 0u) << std::hex << style;
    EXPECT_TRUE(IsWindowVisible(window));
    ui.CloseWindow(c.spec.number);
    EXPECT_FALSE(ui.IsWindowOpen(c.spec.number));
    EXPECT_FALSE(IsWindow(window));
  }
}

TEST_F(Win32PlatformTest, ClicksReachWaitEventInOrderAsGadgetEvents) {
  HWND window = OpenMain();
  ASSERT_TRUE(ui.CreateGadget({kWindow, 4, GadgetKind::Button, 20, 195, 300, 45, "TXT -> PNG", -1, false, true}));
  ASSERT_TRUE(ui.CreateGadget({kWindow, 6, GadgetKind::Button, 325, 195, 300, 45, "Clipboard", -1, false, true}));
  ASSERT_TRUE(ui.CreateGadget({kWindow, 7, GadgetKind::StatusField, 48, 304, 547, 25, "status"}));
  ui.SetGadgetColours(6, Colour::SystemDefault(), Colour::FromRgb(217, 200, 68));  // owner-drawn from here on
  SendMessageW(Gadget(window, 6), BM_CLICK, 0, 0);
  SendMessageW(Gadget(window, 7), WM_SETFOCUS, 0, 0);  // an edit's notification is no event
  SendMessageW(Gadget(window, 4), BM_CLICK, 0, 0);
  for (int gadget : {6, 4}) {
    const Event event = ui.WaitEvent();
    EXPECT_EQ(event.kind, EventKind::Gadget);
    EXPECT_EQ(event.window, kWindow);
    EXPECT_EQ(event.gadget, gadget);
  }
}

TEST_F(Win32PlatformTest, MouseAndKeyboardPressButtonsThroughTheLoop) {
  HWND window = OpenMain();
  ASSERT_TRUE(ui.CreateGadget({kWindow, 4, GadgetKind::Button, 20, 195, 300, 45, "first", -1, false, true}));
  ASSERT_TRUE(ui.CreateGadget({kWindow, 6, GadgetKind::Button, 325, 195, 300, 45, "second", -1, false, true}));
  ui.SetGadgetColours(4, Colour::SystemDefault(), Colour::FromRgb(217, 200, 68));
  SetForegroundWindow(window);
  Pump();
  POINT centre{170, 217};
  ClientToScreen(window, &centre);
  SetCursorPos(centre.x, centre.y);
  INPUT click[2] = {};
  click[0].type = click[1].type = INPUT_MOUSE;
  click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, click, sizeof(INPUT));
  Event event = ui.WaitEvent();
  EXPECT_EQ(event.kind, EventKind::Gadget);
  EXPECT_EQ(event.gadget, 4);
  EXPECT_EQ(GetFocus(), Gadget(window, 4));

  // Tab moves on to the next button, Space presses it, Enter too.
  INPUT keys[6] = {};
  const WORD pressed[] = {VK_TAB, VK_SPACE, VK_RETURN};
  for (int i = 0; i < 3; ++i) {
    keys[2 * i].type = keys[2 * i + 1].type = INPUT_KEYBOARD;
    keys[2 * i].ki.wVk = keys[2 * i + 1].ki.wVk = pressed[i];
    keys[2 * i + 1].ki.dwFlags = KEYEVENTF_KEYUP;
  }
  SendInput(6, keys, sizeof(INPUT));
  for (int i = 0; i < 2; ++i) {
    event = ui.WaitEvent();
    EXPECT_EQ(event.kind, EventKind::Gadget);
    EXPECT_EQ(event.gadget, 6);
  }
  EXPECT_EQ(GetFocus(), Gadget(window, 6));
}

TEST_F(Win32PlatformTest, CloseRequestIsQueuedAndTheWindowStaysOpen) {
  HWND window = OpenMain();
  SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  const Event event = ui.WaitEvent();
  EXPECT_EQ(event.kind, EventKind::CloseRequest);
  EXPECT_EQ(event.window, kWindow);
  EXPECT_TRUE(ui.IsWindowOpen(kWindow));
  EXPECT_TRUE(IsWindowVisible(window));
}

TEST_F(Win32PlatformTest, NestedLoopTakesTheEventsOfEveryWindow) {
  HWND main = OpenMain();
  ASSERT_TRUE(ui.CreateGadget({kWindow, 5, GadgetKind::Button, 20, 250, 605, 45, "PNG -> TXT"}));
  SendMessageW(Gadget(main, 5), BM_CLICK, 0, 0);
  ASSERT_EQ(ui.WaitEvent().gadget, 5);  // the outer loop starts a job, which opens a window with a loop of its own
  HWND result = Open({kOtherWindow, "Result", 640, 660, platform::kTitleBar | platform::kSystemMenu, false, 330, 155});
  ASSERT_TRUE(ui.CreateGadget({kOtherWindow, 14, GadgetKind::Button, 5, 560, 630, 45, "Copy"}));
  ui.RunOnUiThread([&] {
    SendMessageW(Gadget(main, 5), BM_CLICK, 0, 0);
    SendMessageW(Gadget(result, 14), BM_CLICK, 0, 0);
    PostMessageW(main, WM_CLOSE, 0, 0);
  });
  std::vector<std::pair<int, int>> inner;  // window, gadget (-1: close request)
  for (;;) {
    const Event event = ui.WaitEvent();
    inner.emplace_back(event.window, event.kind == EventKind::CloseRequest ? -1 : event.gadget);
    if (event.kind == EventKind::CloseRequest) break;
  }
  ui.CloseWindow(kOtherWindow);
  ui.ShowWindowAgain(kWindow);
  EXPECT_EQ(inner, (std::vector<std::pair<int, int>>{{kWindow, 5}, {kOtherWindow, 14}, {kWindow, -1}}));
  SendMessageW(Gadget(main, 5), BM_CLICK, 0, 0);
  EXPECT_EQ(ui.WaitEvent().gadget, 5) << "the outer loop goes on";
  EXPECT_TRUE(IsWindowVisible(main));
}

TEST_F(Win32PlatformTest, WorkerChangesLandInTheGadgetInTheOrderPosted) {
  HWND window = OpenMain();
  ASSERT_TRUE(ui.CreateGadget({kWindow, 7, GadgetKind::StatusField, 48, 304, 547, 25, "start"}));
  ASSERT_TRUE(ui.CreateGadget({kWindow, 23, GadgetKind::Button, 20, 305, 25, 25, "?"}));
  HWND done = Gadget(window, 23);
  constexpr int kChanges = 2000;
  std::vector<std::string> seen;  // touched on the user-interface thread only
  ASSERT_TRUE(ui.StartThread([this, &seen, done] {
    for (int i = 1; i <= kChanges; ++i) {
      ui.RunOnUiThread([this, &seen, i] {
        ui.SetGadgetText(7, std::to_string(i));
        seen.push_back(ui.GetGadgetText(7));
      });
    }
    ui.RunOnUiThread([done] { SendMessageW(done, BM_CLICK, 0, 0); });
  }));
  EXPECT_EQ(ui.WaitEvent().gadget, 23);
  ASSERT_EQ(seen.size(), static_cast<std::size_t>(kChanges));
  for (int i = 0; i < kChanges; ++i) ASSERT_EQ(seen[i], std::to_string(i + 1));
  EXPECT_EQ(TextOf(Gadget(window, 7)), std::to_wstring(kChanges));
}

TEST_F(Win32PlatformTest, ChangePostedAfterItsWindowClosedIsHarmless) {
  OpenMain();
  ASSERT_TRUE(ui.CreateGadget({kWindow, 7, GadgetKind::StatusField, 48, 304, 547, 25, "start"}));
  ui.RunOnUiThread([this] { ui.SetGadgetText(7, "late"); });
  ui.CloseWindow(kWindow);
  Pump();
  EXPECT_FALSE(ui.GadgetExists(7));
  EXPECT_EQ(ui.GetGadgetText(7), "");
}

TEST_F(Win32PlatformTest, StatusFieldShowsLinesUnwrappedAndGivesBackTheTextSet) {
  HWND window = OpenMain();
  const std::string credits = "Letterloom 2.0\r\nA line far longer than the field is wide, which must not wrap\nthird";
  ASSERT_TRUE(ui.CreateGadget({kWindow, 7, GadgetKind::StatusField, 20, 195, 100, 108, credits}));
  HWND field = Gadget(window, 7);
  EXPECT_EQ(ClassOf(field), L"Edit");
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(field, GWL_STYLE));
  const DWORD wanted = ES_MULTILINE | ES_READONLY | ES_CENTER | ES_AUTOHSCROLL | WS_TABSTOP;
  EXPECT_EQ(style & wanted, wanted);
  EXPECT_TRUE(GetWindowLongPtrW(field, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_EQ(SendMessageW(field, EM_GETLINECOUNT, 0, 0), 3) << "lines break at their ends only";
  EXPECT_EQ(ui.GetGadgetText(7), credits);
}

TEST_F(Win32PlatformTest, TextsAndCaptionsShowAsGiven) {
  HWND window = OpenMain();
  ASSERT_TRUE(ui.CreateGadget({kWindow, 2, GadgetKind::Text, 5, 335, 630, 20, "Fran\xC3\xA7" "ais & more", -1, true}));
  ASSERT_TRUE(ui.CreateGadget({kWindow, 3, GadgetKind::Frame, 5, 175, 630, 181, "Tagline"}));
  ASSERT_TRUE(ui.CreateGadget({kWindow, 22, GadgetKind::Button, 600, 305, 25, 25, "@"}));
  EXPECT_EQ(TextOf(Gadget(window, 2)), L"Fran\u00E7ais & more");
  EXPECT_TRUE(GetWindowLongPtrW(Gadget(window, 2), GWL_STYLE) & SS_CENTER);
  EXPECT_TRUE(GetWindowLongPtrW(Gadget(window, 2), GWL_STYLE) & SS_NOPREFIX);
  EXPECT_EQ(GetWindowLongPtrW(Gadget(window, 3), GWL_STYLE) & BS_TYPEMASK, BS_GROUPBOX);
  ui.SetGadgetText(22, "\xE2\x82\xAC");
  EXPECT_EQ(TextOf(Gadget(window, 22)), L"\u20AC");
  EXPECT_EQ(ui.GetGadgetText(22), "\xE2\x82\xAC");
  ui.SetGadgetHidden(22, true);
  EXPECT_FALSE(IsWindowVisible(Gadget(window, 22)));
  ui.SetGadgetHidden(22, false);
  EXPECT_TRUE(IsWindowVisible(Gadget(window, 22)));
  ui.MoveGadget(22, 20, 195, 605, 108);
  RECT moved;
  GetWindowRect(Gadget(window, 22), &moved);
  MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&moved), 2);
  EXPECT_EQ(moved.left, 20);
  EXPECT_EQ(moved.top, 195);
  EXPECT_EQ(moved.right - moved.left, 605);
  EXPECT_EQ(moved.bottom - moved.top, 108);
}

TEST_F(Win32PlatformTest, ColoursShowAsAsked) {
  HWND window = OpenMain();
  ASSERT_TRUE(ui.CreateGadget({kWindow, 2, GadgetKind::Text, 5, 335, 630, 20, ""}));
  ASSERT_TRUE(ui.CreateGadget({kWindow, 3, GadgetKind::Frame, 5, 175, 630, 181, "frame"}));
  ASSERT_TRUE(ui.CreateGadget({kWindow, 4, GadgetKind::Button, 20, 195, 300, 45, "", -1, false, true}));
  ASSERT_TRUE(ui.CreateGadget({kWindow, 7, GadgetKind::StatusField, 48, 304, 547, 25, ""}));
  ui.SetGadgetColours(2, Colour::SystemDefault(), Colour::Transparent());
  ui.SetGadgetColours(3, Colour::SystemDefault(), Colour::FromRgb(151, 151, 151));
  ui.SetGadgetColours(4, Colour::SystemDefault(), Colour::FromRgb(217, 200, 68));
  ui.SetGadgetColours(7, Colour::FromRgb(0, 0, 0), Colour::FromRgb(217, 200, 68));
  ui.SetWindowColour(kWindow, Colour::FromRgb(151, 151, 151));
  const COLORREF gold = RGB(217, 200, 68);
  const COLORREF grey = RGB(151, 151, 151);
  EXPECT_EQ(PixelOf(window, 320, 345), grey) << "the window shows through the transparent text";
  EXPECT_EQ(PixelOf(window, 170, 217), gold) << "flat button face";
  EXPECT_EQ(PixelOf(window, 300, 320), gold) << "status field background";
  EXPECT_EQ(PixelOf(window, 10, 10), grey);
  EXPECT_EQ(PixelOf(window, 400, 260), grey) << "inside the frame";
}

TEST_F(Win32PlatformTest, GroupBoxStaysBehindGadgetsMadeAroundIt) {
  HWND window = OpenMain();
  ASSERT_TRUE(ui.CreateGadget({kWindow, 2, GadgetKind::Text, 5, 335, 630, 20, "footer"}));
  ASSERT_TRUE(ui.CreateGadget({kWindow, 3, GadgetKind::Frame, 5, 175, 630, 181, "tagline"}));
  ASSERT_TRUE(ui.CreateGadget({kWindow, 4, GadgetKind::Button, 20, 195, 300, 45, "button"}));
  EXPECT_EQ(GetWindow(Gadget(window, 2), GW_HWNDLAST), Gadget(window, 3)) << "the frame is last in the z-order";
}

TEST_F(Win32PlatformTest, TabOrderIsCreationOrder) {
  HWND window = OpenMain();
  ASSERT_TRUE(ui.CreateGadget({kWindow, 1, GadgetKind::Text, 0, 0, 10, 10, "label"}));
  ASSERT_TRUE(ui.CreateGadget({kWindow, 3, GadgetKind::Frame, 5, 175, 630, 181, "frame"}));
  for (int gadget : {4, 6, 5, 22, 23}) {
    ASSERT_TRUE(ui.CreateGadget({kWindow, gadget, GadgetKind::Button, gadget * 20, 195, 15, 15, std::to_string(gadget)}));
  }
  ASSERT_TRUE(ui.CreateGadget({kWindow, 7, GadgetKind::StatusField, 48, 304, 547, 25, ""}));
  HWND focus = Gadget(window, 4);
  for (int gadget : {6, 5, 22, 23, 7, 4}) {
    focus = GetNextDlgTabItem(window, focus, FALSE);
    EXPECT_EQ(GetDlgCtrlID(focus), gadget);
  }
  EXPECT_EQ(GetDlgCtrlID(GetNextDlgTabItem(window, Gadget(window, 4), TRUE)), 7) << "Shift+Tab goes back";
  EXPECT_EQ(SendMessageW(Gadget(window, 7), WM_GETDLGCODE, 0, 0) & (DLGC_WANTTAB | DLGC_WANTALLKEYS), 0)
      << "Tab leaves the status field";
}

TEST_F(Win32PlatformTest, FocusGoesToTheFirstFocusableGadgetAndComesBackToTheWindow) {
  HWND main = OpenMain();
  PumpFor(std::chrono::milliseconds(100));
  ASSERT_EQ(GetActiveWindow(), main);
  ASSERT_TRUE(ui.CreateGadget({kWindow, 1, GadgetKind::Text, 0, 0, 10, 10, "label"}));
  ASSERT_TRUE(ui.CreateGadget({kWindow, 4, GadgetKind::Button, 20, 195, 300, 45, "first"}));
  ASSERT_TRUE(ui.CreateGadget({kWindow, 6, GadgetKind::Button, 325, 195, 300, 45, "second"}));
  EXPECT_EQ(GetFocus(), Gadget(main, 4));
  SetFocus(Gadget(main, 6));
  HWND other = Open({kOtherWindow, "Result", 640, 660, platform::kTitleBar | platform::kSystemMenu, false, 330, 155});
  ASSERT_TRUE(ui.CreateGadget({kOtherWindow, 14, GadgetKind::Button, 5, 560, 630, 45, "Copy"}));
  PumpFor(std::chrono::milliseconds(100));
  EXPECT_EQ(GetFocus(), Gadget(other, 14));
  ui.ShowWindowAgain(kWindow);
  PumpFor(std::chrono::milliseconds(100));
  EXPECT_EQ(GetFocus(), Gadget(main, 6)) << "the gadget that had it";
}

TEST_F(Win32PlatformTest, PicturesGiveImagesTheirSizeAndBadPixmapsAreRefused) {
  HWND window = OpenMain();
  platform::Pixmap flag{33, 25, {}};
  for (int i = 0; i < 33 * 25; ++i) flag.rgba.insert(flag.rgba.end(), {0, 26, 222, 255});
  ASSERT_TRUE(ui.CreateImage(29, flag));
  ASSERT_TRUE(ui.CreateGadget({kWindow, 1, GadgetKind::Image, 0, 0, 644, 172, "", 29}));
  ASSERT_TRUE(ui.CreateGadget({kWindow, 25, GadgetKind::ImageButton, 5, 100, 33, 25, "", 29}));
  RECT image;
  GetClientRect(Gadget(window, 1), &image);
  EXPECT_EQ(image.right, 33);
  EXPECT_EQ(image.bottom, 25);
  EXPECT_EQ(PixelOf(window, 16, 12), RGB(0, 26, 222));
  EXPECT_NE(SendMessageW(Gadget(window, 25), BM_GETIMAGE, IMAGE_BITMAP, 0), 0);
  ui.CloseWindow(kWindow);  // frees the pictures the controls hold
  const platform::Pixmap bad[] = {
      {0, 25, {}}, {33, 25, std::vector<std::uint8_t>(33 * 25 * 4 - 1)}, {-1, -1, {}}, {1 << 16, 1, {}},
  };
  for (const platform::Pixmap& pixmap : bad) EXPECT_FALSE(ui.CreateImage(30, pixmap));
}

TEST_F(Win32PlatformTest, FontsHaveTheirFacePointSizeWeightAndQuality) {
  HWND window = OpenMain();
  ASSERT_TRUE(ui.LoadFont(0, {"arial", 11, false}));
  ASSERT_TRUE(ui.LoadFont(17, {"Microsoft Sans Serif", 12, true}));
  EXPECT_FALSE(ui.LoadFont(2, {"", 11, false}));
  EXPECT_FALSE(ui.LoadFont(2, {"arial", 0, false}));
  ASSERT_TRUE(ui.CreateGadget({kWindow, 2, GadgetKind::Text, 5, 335, 630, 20, "a"}));
  ASSERT_TRUE(ui.CreateGadget({kWindow, 16, GadgetKind::Text, 5, 5, 280, 20, "b"}));
  ui.SetGadgetFont(2, 0);
  ui.SetGadgetFont(16, 17);
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  struct Case {
    int gadget;
    const wchar_t* face;
    int points;
    LONG weight;
  } cases[] = {{2, L"arial", 11, FW_NORMAL}, {16, L"Microsoft Sans Serif", 12, FW_BOLD}};
  for (const Case& c : cases) {
    auto font = reinterpret_cast<HFONT>(SendMessageW(Gadget(window, c.gadget), WM_GETFONT, 0, 0));
    LOGFONTW description{};
    ASSERT_NE(GetObjectW(font, sizeof(description), &description), 0);
    EXPECT_STREQ(description.lfFaceName, c.face);
    EXPECT_EQ(description.lfHeight, -MulDiv(c.points, dpi, 72));
    EXPECT_EQ(description.lfWeight, c.weight);
    EXPECT_EQ(description.lfQuality, PROOF_QUALITY);
  }
  // Loading font 17 again leaves the gadget that shows the old one drawable.
  ASSERT_TRUE(ui.LoadFont(17, {"Microsoft Sans Serif", 12, true}));
  auto shown = reinterpret_cast<HFONT>(SendMessageW(Gadget(window, 16), WM_GETFONT, 0, 0));
  LOGFONTW still{};
  EXPECT_NE(GetObjectW(shown, sizeof(still), &still), 0);
}

HWND BalloonOf(HWND owner) {
  struct Search {
    HWND owner;
    HWND found;
  } search{owner, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), [](HWND window, LPARAM data) -> BOOL {
    auto* s = reinterpret_cast<Search*>(data);
    if (GetWindow(window, GW_OWNER) != s->owner || ClassOf(window) != L"tooltips_class32") return TRUE;
    if (!(GetWindowLongPtrW(window, GWL_STYLE) & TTS_BALLOON)) return TRUE;
    s->found = window;
    return FALSE;
  }, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

TEST_F(Win32PlatformTest, BalloonTipWrapsAtItsWidthAndShowsOnHover) {
  HWND window = OpenMain();
  ASSERT_TRUE(ui.CreateGadget({kWindow, 22, GadgetKind::Button, 600, 305, 25, 25, "@"}));
  const std::string text = "Check & download a newer version of the program from the maker's web server";
  EXPECT_NE(ui.AddBalloonTip(kWindow, 22, text, 180), 0);
  EXPECT_EQ(ui.AddBalloonTip(kWindow, 99, text, 180), 0) << "no such gadget";
  HWND balloon = BalloonOf(window);
  ASSERT_NE(balloon, nullptr);
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(balloon, GWL_STYLE));
  EXPECT_EQ(style & (WS_POPUP | TTS_BALLOON | TTS_NOPREFIX), static_cast<DWORD>(WS_POPUP | TTS_BALLOON | TTS_NOPREFIX));
  EXPECT_EQ(SendMessageW(balloon, TTM_GETMAXTIPWIDTH, 0, 0), 180);
  EXPECT_EQ(SendMessageW(balloon, TTM_GETTOOLCOUNT, 0, 0), 1);
  EXPECT_EQ(static_cast<COLORREF>(SendMessageW(balloon, TTM_GETTIPBKCOLOR, 0, 0)), GetSysColor(COLOR_INFOBK));

  SetForegroundWindow(window);
  POINT over{612, 317};
  ClientToScreen(window, &over);
  SetCursorPos(over.x - 3, over.y - 3);
  PumpFor(std::chrono::milliseconds(100));
  SetCursorPos(over.x, over.y);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!IsWindowVisible(balloon) && std::chrono::steady_clock::now() < end) PumpFor(std::chrono::milliseconds(50));
  ASSERT_TRUE(IsWindowVisible(balloon)) << "shown when the pointer rests on the button";
  RECT shown;
  GetWindowRect(balloon, &shown);
  HDC dc = GetDC(balloon);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(balloon, WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(balloon, dc);
  EXPECT_LT(shown.right - shown.left, 180 + 60) << "no wider than its maximum and its margins";
  EXPECT_GE(shown.bottom - shown.top, 3 * metrics.tmHeight) << "wrapped onto more lines";
}

TEST_F(Win32PlatformTest, PlainToolTipIsRegisteredForTheGadget) {
  HWND window = OpenMain();
  ASSERT_TRUE(ui.CreateGadget({kWindow, 25, GadgetKind::Button, 5, 0, 33, 25, "fr"}));
  ui.SetGadgetToolTip(25, "Fran\xC3\xA7" "ais");
  ui.SetGadgetToolTip(25, "Fran\xC3\xA7" "ais!");  // replaces the first
  HWND tips = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), [](HWND found, LPARAM data) -> BOOL {
    if (ClassOf(found) != L"tooltips_class32" || (GetWindowLongPtrW(found, GWL_STYLE) & TTS_BALLOON)) return TRUE;
    *reinterpret_cast<HWND*>(data) = found;
    return FALSE;
  }, reinterpret_cast<LPARAM>(&tips));
  ASSERT_NE(tips, nullptr);
  EXPECT_EQ(GetWindow(tips, GW_OWNER), window);
  EXPECT_EQ(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 1);
  wchar_t text[80] = {};
  TOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = window;
  tool.uId = reinterpret_cast<UINT_PTR>(Gadget(window, 25));
  tool.lpszText = text;
  SendMessageW(tips, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
  EXPECT_STREQ(text, L"Fran\u00E7ais!");
}

// --- clipboard, requesters, message boxes ------------------------------------------------

std::string ClipboardBytes(UINT format) {
  if (!OpenClipboard(nullptr)) return "<not opened>";
  std::string bytes;
  if (HANDLE data = GetClipboardData(format)) {
    bytes = static_cast<const char*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return bytes;
}

std::string InAnsiCodePage(const std::wstring& text) {
  char bytes[64] = {};
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, bytes, sizeof(bytes), nullptr, nullptr);
  return bytes;
}

TEST_F(Win32PlatformTest, ClipboardHoldsTheTextInTheAnsiCodePageAndInUnicode) {
  const struct {
    std::string text;
    std::wstring wide;
  } cases[] = {
      {"caf\xC3\xA9\r\nline two\n", L"caf\u00E9\r\nline two\n"},
      {"\xCE\xA9 is not in every code page", L"\u03A9 is not in every code page"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(ui.SetClipboardText(c.text));
    EXPECT_EQ(ui.GetClipboardText(), c.text) << "read back whole";
    EXPECT_EQ(ClipboardBytes(CF_TEXT), InAnsiCodePage(c.wide)) << "CF_TEXT in code page " << GetACP();
  }
  // A text another program put there as CF_TEXT only is read through the ANSI code page.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  const char plain[] = "plain text";
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof(plain));
  memcpy(GlobalLock(memory), plain, sizeof(plain));
  GlobalUnlock(memory);
  SetClipboardData(CF_TEXT, memory);
  CloseClipboard();
  EXPECT_EQ(ui.GetClipboardText(), "plain text");
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
  EXPECT_EQ(ui.GetClipboardText(), std::nullopt);
}

TEST(Win32Filters, PatternListBecomesTheRequesterFilter) {
  using namespace std::string_literals;
  const struct {
    std::string pattern;
    std::wstring filter;
  } cases[] = {
      {"", L""},
      {"PNG|*.png", L"PNG\0*.png\0\0"s},
      {"Pictures|*.png;*.jpg|All|*.*", L"Pictures\0*.png;*.jpg\0All\0*.*\0\0"s},
      {"Text (*.txt)|*.txt|Other (*.*)|*.*", L"Text (*.txt)\0*.txt\0Other (*.*)\0*.*\0\0"s},
      {"Lonely label", L"Lonely label\0*.*\0\0"s},
  };
  for (const auto& c : cases) EXPECT_EQ(platform::win32::FilterFromPattern(c.pattern), c.filter) << c.pattern;
}

std::filesystem::path MakeTempFolder() {
  wchar_t base[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, base);
  std::filesystem::path folder = std::filesystem::path(base) / ("letterloom-win32-test-" + std::to_string(GetCurrentProcessId()));
  std::filesystem::create_directories(folder);
  return folder;
}

HWND FileNameBox(HWND dialog) {
  HWND box = GetDlgItem(dialog, kFileNameBox);
  if (box != nullptr && ClassOf(box) == L"ComboBox") {
    if (HWND edit = FindWindowExW(box, nullptr, L"Edit", nullptr)) return edit;
  }
  return box != nullptr ? box : GetDlgItem(dialog, kOldFileNameBox);
}

TEST_F(Win32PlatformTest, FileRequesterGivesTheFullPathTypedOrNothingWhenCancelled) {
  const std::filesystem::path folder = MakeTempFolder();
  const std::string start = Narrow(folder.wstring()) + "\\";
  OpenMain();
  struct Case {
    platform::RequesterKind kind;
    std::wstring typed;  // empty: cancel
    std::string expected;
  } cases[] = {
      {platform::RequesterKind::Open, L"new.txt", start + "new.txt"},
      {platform::RequesterKind::Save, L"picture", start + "picture"},
      {platform::RequesterKind::Save, L"", ""},
  };
  for (const Case& c : cases) {
    std::vector<std::wstring> filters;
    LRESULT selected = -1;
    std::wstring title;
    std::thread answer = AnswerDialog("Choose", [&](HWND dialog) {
      title = TextOf(dialog);
      HWND types = GetDlgItem(dialog, kFileTypeBox);
      const auto count = SendMessageW(types, CB_GETCOUNT, 0, 0);
      for (LRESULT i = 0; i < count; ++i) {
        wchar_t item[128] = {};
        SendMessageW(types, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
        filters.push_back(item);
      }
      selected = SendMessageW(types, CB_GETCURSEL, 0, 0);
      if (c.typed.empty()) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
      }
      SendMessageW(FileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.typed.c_str()));
      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    const std::string chosen = ui.FileRequester({c.kind, "Choose", start, "Text (*.txt)|*.txt|Other|*.*", 1});
    answer.join();
    EXPECT_EQ(chosen, c.expected);
    EXPECT_EQ(title, L"Choose");
    EXPECT_EQ(filters, (std::vector<std::wstring>{L"Text (*.txt)", L"Other"}));
    EXPECT_EQ(selected, 1);
    EXPECT_TRUE(IsWindowEnabled(TopWindowTitled("Main"))) << "enabled again";
  }
  std::filesystem::remove_all(folder);
}

TEST_F(Win32PlatformTest, FileRequesterRefusesAFileInAMissingFolder) {
  const std::filesystem::path folder = MakeTempFolder();
  std::atomic<bool> warned{false};
  std::atomic<bool> stayedOpen{false};
  std::thread answer = AnswerDialog("Choose", [&](HWND dialog) {
    SendMessageW(FileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"missing\\file.txt"));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    // The requester says why in a box of its own and stays open.
    const auto end = std::chrono::steady_clock::now() + kDialogWait;
    while (std::chrono::steady_clock::now() < end && !warned) {
      HWND box = nullptr;
      while ((box = FindWindowExW(nullptr, box, L"#32770", nullptr)) != nullptr) {
        if (box != dialog && IsWindowVisible(box) && GetWindow(box, GW_OWNER) == dialog) {
          warned = true;
          PostMessageW(box, WM_COMMAND, IDOK, 0);
          break;
        }
      }
      Sleep(20);
    }
    Sleep(200);
    stayedOpen = IsWindowVisible(dialog) != 0;
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(ui.FileRequester({platform::RequesterKind::Open, "Choose", Narrow(folder.wstring()) + "\\", ""}), "");
  answer.join();
  EXPECT_TRUE(warned);
  EXPECT_TRUE(stayedOpen);
  std::filesystem::remove_all(folder);
}

TEST_F(Win32PlatformTest, MessageBoxShowsPlainTextTheButtonsOfItsTypeAndAnswers) {
  HWND window = OpenMain();
  struct Case {
    unsigned type;
    int press;  // the button the user presses
    std::optional<bool> icon;  // nothing: the system's choice
    int answer;
  } cases[] = {
      {0x00, IDOK, false, platform::kAnswerOk},
      {0x40, IDOK, true, platform::kAnswerOk},
      {0x50, IDOK, std::nullopt, platform::kAnswerOk},  // information and error bits at once
      {0x24, IDYES, true, platform::kAnswerYes},
      {0x24, IDNO, true, platform::kAnswerNo},
  };
  for (const Case& c : cases) {
    std::wstring shown;
    bool hasIcon = false;
    bool yesNo = false;
    bool mainDisabled = false;
    std::thread answer = AnswerDialog("Info", [&](HWND box) {
      shown = TextOf(GetDlgItem(box, kMessageBoxText));
      for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        const bool iconStatic = ClassOf(child) == L"Static" &&
                                (GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
        if (iconStatic && IsWindowVisible(child) && SendMessageW(child, STM_GETICON, 0, 0) != 0) hasIcon = true;
      }
      yesNo = GetDlgItem(box, IDYES) != nullptr && GetDlgItem(box, IDNO) != nullptr;
      mainDisabled = !IsWindowEnabled(window);
      PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(c.press), 0);
    });
    EXPECT_EQ(ui.ShowMessageBox("Info", "File <b>a&b</b> saved", c.type), c.answer) << std::hex << c.type;
    answer.join();
    EXPECT_EQ(shown, L"File <b>a&b</b> saved");
    if (c.icon) {
      EXPECT_EQ(hasIcon, *c.icon) << std::hex << c.type;
    }
    EXPECT_EQ(yesNo, (c.type & 0x0F) == platform::kMbYesNo);
    EXPECT_TRUE(mainDisabled) << "modal";
    EXPECT_TRUE(IsWindowEnabled(window));
  }
}

}  // namespace
