// Times the result window on the native Win32 backend under Wine: open with a 5 MB text, a key, a page down, the read-back.
//
// Run on an X display (tools/with-display wine win32_result_window_bench.exe).
// For the largest text (5,233,648 bytes) of prose in lines of about 70
// characters, and for the same bytes with no line break, it prints the
// medians of a few runs of: opening the window (window, editor and buttons
// made, text set, everything painted), a key pressed at once after that,
// the time until the control has wrapped the rest in idle time, one typed
// character (at the start and in the middle of the text), one page down,
// and reading the text back unedited and edited. Then the process's peak
// memory.
//
// With --controls it measures the candidates for the editor instead, each
// in a process of its own that is stopped after a time limit: Scintilla as
// the backend uses it, Scintilla with whole lines, a plain EDIT and RichEdit
// 5.0 loaded through EM_STREAMIN in pieces.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <windows.h>
#include <psapi.h>
#include <richedit.h>
#include <Scintilla.h>

#include "platform/platform.h"
#include "platform/win32/win32_platform.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kTextBytes = 5'233'648;
constexpr int kRuns = 5;
constexpr int kKeys = 5;
constexpr std::size_t kLineLength = 70;
constexpr int kResultWindow = 11;
constexpr int kEditor = 12;
constexpr DWORD kControlTimeLimitMs = 120'000;
constexpr std::size_t kStreamPiece = 64 * 1024;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0.0 : values[values.size() / 2];
}

// Prose-like text: words of a small vocabulary in sentences, lines of at
// most 70 characters ended by "\n" (the line end the editor is given).
std::string MakeProse(std::size_t bytes) {
  static const char* const words[] = {
      "the", "river", "ran", "quietly", "past", "old", "houses", "where", "children", "played",
      "and", "their", "mothers", "called", "them", "home", "for", "supper", "when", "evening",
      "light", "turned", "golden", "over", "fields", "of", "wheat", "a", "dog", "barked",
      "somewhere", "beyond", "hill", "while", "wind", "carried", "smell", "rain", "across", "valley"};
  std::string text;
  std::string line;
  unsigned seed = 12345;
  int sentence = 0;
  while (text.size() < bytes) {
    seed = seed * 1103515245u + 12345u;
    std::string word = words[(seed >> 16) % std::size(words)];
    if (sentence == 0) word[0] = static_cast<char>(word[0] - 'a' + 'A');
    if (++sentence > 8 + static_cast<int>((seed >> 8) % 9)) word += '.', sentence = 0;
    if (line.size() + 1 + word.size() > kLineLength) {
      text += line + "\n";
      line.clear();
    }
    line += line.empty() ? word : " " + word;
  }
  text.resize(bytes);
  return text;
}

std::string OneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// Runs messages until none has come for a while: the control's work in
// idle time (wrapping the lines below the window) is done.
void SettleDown() {
  constexpr DWORD kQuietMs = 200;
  for (;;) {
    Pump();
    if (MsgWaitForMultipleObjects(0, nullptr, FALSE, kQuietMs, QS_ALLINPUT) == WAIT_TIMEOUT) return;
  }
}

void Paint(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  GdiFlush();
}

// One key to the control, the way the message loop hands it over, and the
// repaint it causes.
double KeyTime(HWND control, WPARAM key, wchar_t character) {
  const Clock::time_point start = Clock::now();
  SendMessageW(control, WM_KEYDOWN, key, 0);
  if (character != 0) SendMessageW(control, WM_CHAR, character, 0);
  SendMessageW(control, WM_KEYUP, key, 0);
  UpdateWindow(control);
  GdiFlush();
  return Ms(Clock::now() - start);
}

double PeakMegabytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
  return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

struct Figures {
  double open = 0, settled = 0, keyFirst = 0, keyStart = 0, keyMiddle = 0, pageDown = 0, readBack = 0, readBackEdited = 0;
  bool exact = true;
};

Figures MeasureBackend(platform::Platform& ui, const std::string& text) {
  std::vector<double> open, settled, keyFirst, keyStart, keyMiddle, pageDown, readBack, readBackEdited;
  Figures figures;
  for (int run = 0; run < kRuns; ++run) {
    const Clock::time_point start = Clock::now();
    ui.OpenWindow({.number = kResultWindow, .title = "Result", .clientWidth = 640, .clientHeight = 660,
                   .style = platform::kTitleBar | platform::kSystemMenu, .centred = false, .x = 330, .y = 155});
    ui.CreateGadget({.window = kResultWindow, .number = kEditor, .kind = platform::GadgetKind::Editor,
                     .x = 5, .y = 5, .width = 630, .height = 550, .text = {}});
    ui.CreateGadget({.window = kResultWindow, .number = 14, .kind = platform::GadgetKind::Button, .x = 5,
                     .y = 560, .width = 630, .height = 45, .text = "Copy the text into the clipboard", .flat = true});
    ui.CreateGadget({.window = kResultWindow, .number = 13, .kind = platform::GadgetKind::Button, .x = 5,
                     .y = 610, .width = 630, .height = 45, .text = "Save text into a .txt file", .flat = true});
    ui.SetGadgetText(kEditor, text);
    HWND window = FindWindowW(L"LetterloomWindow", L"Result");
    Paint(window);
    open.push_back(Ms(Clock::now() - start));
    HWND editor = GetDlgItem(window, kEditor);
    SetFocus(editor);
    keyFirst.push_back(KeyTime(editor, VK_END, 0));  // while the rest of the text is still being wrapped
    SettleDown();
    settled.push_back(Ms(Clock::now() - start));

    Clock::time_point read = Clock::now();
    figures.exact = figures.exact && ui.GetGadgetText(kEditor) == text;
    readBack.push_back(Ms(Clock::now() - read));

    SendMessageW(editor, SCI_GOTOPOS, 0, 0);
    for (int key = 0; key < kKeys; ++key) keyStart.push_back(KeyTime(editor, 'A', L'a'));
    SendMessageW(editor, SCI_GOTOPOS, text.size() / 2, 0);
    Paint(window);
    for (int key = 0; key < kKeys; ++key) keyMiddle.push_back(KeyTime(editor, 'A', L'a'));
    for (int key = 0; key < kKeys; ++key) pageDown.push_back(KeyTime(editor, VK_NEXT, 0));
    read = Clock::now();
    const std::string edited = ui.GetGadgetText(kEditor);
    readBackEdited.push_back(Ms(Clock::now() - read));
    figures.exact = figures.exact && edited.size() == text.size() + 2 * kKeys;
    ui.CloseWindow(kResultWindow);
    Pump();
  }
  figures.open = Median(open);
  figures.settled = Median(settled);
  figures.keyFirst = Median(keyFirst);
  figures.keyStart = Median(keyStart);
  figures.keyMiddle = Median(keyMiddle);
  figures.pageDown = Median(pageDown);
  figures.readBack = Median(readBack);
  figures.readBackEdited = Median(readBackEdited);
  return figures;
}

int RunBackendBench() {
  std::unique_ptr<platform::Platform> ui = platform::CreateWin32Platform();
  if (!ui) return 1;
  const std::string prose = MakeProse(kTextBytes);
  const struct {
    const char* name;
    std::string text;
  } cases[] = {{"prose, 70-char lines", prose}, {"one single line", OneLine(prose)}};
  std::printf("Result window on the Win32 backend (Scintilla), %zu-byte text, medians of %d runs\n", kTextBytes, kRuns);
  std::printf("%-21s %8s %9s %10s %9s %10s %8s %8s %8s %6s\n", "text", "open ms", "key1 ms", "settled ms",
              "key@0 ms", "key@mid ms", "pgdn ms", "read ms", "read-ed", "exact");
  for (const auto& c : cases) {
    const Figures f = MeasureBackend(*ui, c.text);
    std::printf("%-21s %8.1f %9.2f %10.1f %9.2f %10.2f %8.2f %8.2f %8.2f %6s\n", c.name, f.open, f.keyFirst,
                f.settled, f.keyStart, f.keyMiddle, f.pageDown, f.readBack, f.readBackEdited, f.exact ? "yes" : "NO");
    std::fflush(stdout);
  }
  std::printf("peak working set: %.1f MB\n", PeakMegabytes());
  std::printf("open: window, editor and buttons made, text set, painted; key1: End pressed at once after;\n"
              "settled: the control's idle work (wrapping the rest) done; read: the text back unedited / edited\n");
  std::printf("goals: open <= 2000 ms; key <= 50 ms\n");
  std::fflush(stdout);
  ui->EndProcess(0);
  return 0;  // not reached
}

// --- the candidates for the editor, one per process ------------------------------------

struct StreamSource {
  const std::string* text;
  std::size_t offset;
};

DWORD CALLBACK StreamPiece(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
  auto* source = reinterpret_cast<StreamSource*>(cookie);
  const std::size_t size = std::min<std::size_t>(static_cast<std::size_t>(wanted),
                                                 std::min(kStreamPiece, source->text->size() - source->offset));
  std::memcpy(buffer, source->text->data() + source->offset, size);
  source->offset += size;
  *given = static_cast<LONG>(size);
  return 0;
}

// Opens a bare window with one candidate control, loads the text, paints,
// types one character in the middle; prints "open ms, key ms".
int RunOneControl(const std::string& control, const std::string& shape, std::size_t bytes) {
  std::unique_ptr<platform::Platform> ui = platform::CreateWin32Platform();  // registers Scintilla's class
  if (!ui) return 1;
  LoadLibraryW(L"msftedit.dll");
  std::string text = MakeProse(bytes);
  if (shape == "line") text = OneLine(text);
  std::string crlf;  // EDIT and RichEdit break lines at CR LF only
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  const bool scintilla = control.rfind("scintilla", 0) == 0;
  HWND window = nullptr;
  if (!scintilla) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"EditorBench";
    RegisterClassW(&windowClass);
    window = CreateWindowExW(0, L"EditorBench", L"Editor bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 330, 155, 660,
                             600, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  const Clock::time_point start = Clock::now();
  HWND editor = nullptr;
  const DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL;
  if (control == "scintilla-pieces" || control == "scintilla-lines") {
    ui->OpenWindow({.number = kResultWindow, .title = "Result", .clientWidth = 640, .clientHeight = 560,
                    .style = platform::kTitleBar, .centred = false, .x = 330, .y = 155});
    ui->CreateGadget({.window = kResultWindow, .number = kEditor, .kind = platform::GadgetKind::Editor, .x = 5,
                      .y = 5, .width = 630, .height = 550, .text = {}});
    window = FindWindowW(L"LetterloomWindow", L"Result");
    editor = GetDlgItem(window, kEditor);
    if (control == "scintilla-pieces") {
      ui->SetGadgetText(kEditor, text);
    } else {
      SendMessageW(editor, SCI_SETUNDOCOLLECTION, 0, 0);
      SendMessageW(editor, SCI_APPENDTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
      SendMessageW(editor, SCI_SETUNDOCOLLECTION, 1, 0);
    }
  } else if (control == "edit") {
    editor = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", style, 5, 5, 630, 550, window, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    SendMessageW(editor, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
    const int wide = MultiByteToWideChar(CP_UTF8, 0, crlf.data(), static_cast<int>(crlf.size()), nullptr, 0);
    std::wstring utf16(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, crlf.data(), static_cast<int>(crlf.size()), utf16.data(), wide);
    SetWindowTextW(editor, utf16.c_str());
  } else if (control == "richedit") {
    editor = CreateWindowExW(WS_EX_CLIENTEDGE, MSFTEDIT_CLASS, L"", style, 5, 5, 630, 550, window, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    SendMessageW(editor, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    SendMessageW(editor, EM_SETTARGETDEVICE, 0, 0);
    StreamSource source{&crlf, 0};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, &StreamPiece};
    SendMessageW(editor, EM_STREAMIN, (CP_UTF8 << 16) | SF_USECODEPAGE | SF_TEXT, reinterpret_cast<LPARAM>(&stream));
  }
  if (editor == nullptr) return 1;
  Paint(window);
  Pump();
  const double open = Ms(Clock::now() - start);
  SetFocus(editor);
  if (scintilla) {
    SendMessageW(editor, SCI_GOTOPOS, text.size() / 2, 0);
  } else {
    SendMessageW(editor, EM_SETSEL, crlf.size() / 2, crlf.size() / 2);
  }
  Paint(window);
  std::vector<double> keys;
  for (int key = 0; key < kKeys; ++key) keys.push_back(KeyTime(editor, 'A', L'a'));
  std::printf("%.1f %.2f %.1f\n", open, Median(keys), PeakMegabytes());
  std::fflush(stdout);
  ui->EndProcess(0);
  return 0;  // not reached
}

// Runs one measurement in a child process and prints its line, or the time
// limit when it did not finish.
void MeasureControlInChild(const char* control, const char* shape, std::size_t bytes) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring command = L"\"" + std::wstring(self) + L"\" --one " + std::wstring(control, control + std::strlen(control)) +
                               L" " + std::wstring(shape, shape + std::strlen(shape)) + L" " + std::to_wstring(bytes);
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  CreatePipe(&readEnd, &writeEnd, &inherit, 0);
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION child{};
  std::wstring line = command;
  std::printf("%-18s %-6s %9zu  ", control, shape, bytes);
  std::fflush(stdout);
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child)) {
    std::printf("cannot start\n");
    return;
  }
  CloseHandle(writeEnd);
  if (WaitForSingleObject(child.hProcess, kControlTimeLimitMs) == WAIT_TIMEOUT) {
    TerminateProcess(child.hProcess, 1);
    std::printf("stopped after %lu s\n", kControlTimeLimitMs / 1000);
  } else {
    char output[128] = {};
    DWORD got = 0;
    ReadFile(readEnd, output, sizeof(output) - 1, &got, nullptr);
    double open = 0, key = 0, peak = 0;
    if (std::sscanf(output, "%lf %lf %lf", &open, &key, &peak) == 3) {
      std::printf("%10.1f %10.2f %9.1f\n", open, key, peak);
    } else {
      std::printf("failed\n");
    }
  }
  std::fflush(stdout);
  CloseHandle(readEnd);
  CloseHandle(child.hProcess);
  CloseHandle(child.hThread);
}

int RunControlComparison() {
  std::printf("Editor candidates under Wine: open = load and paint, key = one character in the middle (median of %d)\n",
              kKeys);
  std::printf("%-18s %-6s %9s  %10s %10s %9s\n", "control", "text", "bytes", "open ms", "key ms", "peak MB");
  const struct {
    const char* control;
    std::size_t bytes;
  } runs[] = {
      {"scintilla-pieces", kTextBytes}, {"scintilla-lines", kTextBytes},
      {"edit", 1'000'000},             {"edit", kTextBytes},
      {"richedit", 1'000'000},         {"richedit", kTextBytes},
  };
  for (const auto& run : runs) {
    for (const char* shape : {"prose", "line"}) MeasureControlInChild(run.control, shape, run.bytes);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "--one") == 0) {
    return RunOneControl(argv[2], argv[3], std::strtoull(argv[4], nullptr, 10));
  }
  if (argc == 2 && std::strcmp(argv[1], "--controls") == 0) return RunControlComparison();
  return RunBackendBench();
}
