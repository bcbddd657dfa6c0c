// The Win32 backend's editor: Scintilla with long lines in pieces, driven as a user and as the program would.
#include <cstring>
#include <string>
#include <vector>

#include <windows.h>
#include <Scintilla.h>
#include <gtest/gtest.h>

#include "platform/win32/editor.h"
#include "tests/support/win32_backend.h"

namespace {

constexpr int kResultWindow = 11;

class Win32EditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ui.OpenWindow({kResultWindow, "Result", 640, 660, platform::kTitleBar | platform::kSystemMenu,
                               false, 330, 155}));
    window = win32test::TopWindowTitled("Result");
    ASSERT_TRUE(ui.CreateGadget({kResultWindow, 12, platform::GadgetKind::Editor, 5, 5, 630, 550, ""}));
    editor = GetDlgItem(window, 12);
    ASSERT_NE(editor, nullptr);
  }
  void TearDown() override { ui.CloseWindow(kResultWindow); }
  intptr_t Sci(unsigned message, uintptr_t wParam = 0, intptr_t lParam = 0) {
    return SendMessageW(editor, message, wParam, lParam);
  }
  void Key(WORD key) {
    SendMessageW(editor, WM_KEYDOWN, key, 0);
    SendMessageW(editor, WM_KEYUP, key, 0);
  }
  void Type(wchar_t c) { SendMessageW(editor, WM_CHAR, c, 0); }
  // A key with Ctrl (and Shift) held, as the control reads the modifiers.
  void ControlKey(WORD key, bool shift) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    BYTE held[256];
    memcpy(held, state, sizeof(held));
    held[VK_CONTROL] = 0x80;
    if (shift) held[VK_SHIFT] = 0x80;
    SetKeyboardState(held);
    Key(key);
    SetKeyboardState(state);
  }

  platform::Platform& ui = win32test::Backend();
  HWND window = nullptr;
  HWND editor = nullptr;
};

TEST_F(Win32EditorTest, GivesBackExactlyTheTextSet) {
  EXPECT_EQ(win32test::ClassOf(editor), L"Scintilla");
  const std::string texts[] = {
      "", "one line", "two\nlines\n", "\n\n\nblank lines\n\n", "tab\there, nbsp\xC2\xA0here, \xE2\x82\xAC sign",
      std::string("nul\0inside", 10), "cr\r\nlf and a lone\rcr",
      std::string(20000, 'x') + "\n" + std::string(5000, 'y'),
      std::string(3000, 'w') + " " + std::string(9000, 'z') + "\xE2\x82\xAC" + std::string(5000, 'q'),
  };
  for (const std::string& text : texts) {
    ui.SetGadgetText(12, text);
    EXPECT_EQ(ui.GetGadgetText(12), text) << text.substr(0, 40);
  }
}

TEST_F(Win32EditorTest, EditsOfALongLineComeBackWithoutPieceEnds) {
  const std::string line = std::string(6000, 'a') + " " + std::string(6000, 'b');
  ui.SetGadgetText(12, line + "\nshort");
  const intptr_t pieceEnd = Sci(SCI_GETLINEENDPOSITION, 0);
  ASSERT_LT(pieceEnd, 6001) << "the long line is shown in pieces";
  Sci(SCI_GOTOPOS, 10);
  Type(L'X');
  EXPECT_EQ(ui.GetGadgetText(12), line.substr(0, 10) + "X" + line.substr(10) + "\nshort");
  Sci(SCI_UNDO);
  EXPECT_EQ(ui.GetGadgetText(12), line + "\nshort") << "undone back to the text set";

  // Backspace at the start of a piece takes the character before the piece end.
  Sci(SCI_GOTOPOS, static_cast<uintptr_t>(pieceEnd + 1));
  Key(VK_BACK);
  std::string expected = line;
  expected.erase(static_cast<std::size_t>(pieceEnd) - 1, 1);
  EXPECT_EQ(ui.GetGadgetText(12), expected + "\nshort");
  Sci(SCI_UNDO);

  // Enter is a real line end, wherever it is typed.
  Sci(SCI_GOTOPOS, 100);
  Key(VK_RETURN);
  EXPECT_EQ(ui.GetGadgetText(12), line.substr(0, 100) + "\n" + line.substr(100) + "\nshort");
  Sci(SCI_UNDO);

  // Copying across a piece end copies the text; a carriage return pasted in is a line end.
  Sci(SCI_SETSEL, static_cast<uintptr_t>(pieceEnd - 2), pieceEnd + 3);
  SendMessageW(editor, WM_COPY, 0, 0);
  EXPECT_EQ(ui.GetClipboardText(), line.substr(static_cast<std::size_t>(pieceEnd) - 2, 4));
  ui.SetClipboardText("");
  ControlKey('C', false);
  EXPECT_EQ(ui.GetClipboardText(), line.substr(static_cast<std::size_t>(pieceEnd) - 2, 4)) << "Ctrl+C";
  Sci(SCI_GOTOPOS, 5);
  ControlKey('T', true);  // copies the line the caret is on: the first piece
  EXPECT_EQ(ui.GetClipboardText(), line.substr(0, static_cast<std::size_t>(pieceEnd))) << "Ctrl+Shift+T";
  ASSERT_TRUE(ui.SetClipboardText("1\r2"));
  Sci(SCI_GOTOPOS, 0);
  SendMessageW(editor, WM_PASTE, 0, 0);
  EXPECT_EQ(ui.GetGadgetText(12), "1\n2" + line + "\nshort");
}

TEST(Win32EditorPieces, LongLinesAreCutNearTheLimitAfterABlankAndNeverInsideACharacter) {
  using platform::win32::kPieceBytes;
  const std::string euro = "\xE2\x82\xAC";
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::size_t> pieceLengths;  // of the first line
  } cases[] = {
      {"short", "short\nlines", {5}},
      {"exactly the limit", std::string(kPieceBytes, 'a'), {kPieceBytes}},
      {"no blank", std::string(kPieceBytes + 10, 'a'), {kPieceBytes, 10}},
      {"blank near the limit", std::string(kPieceBytes - 100, 'a') + " " + std::string(200, 'b'),
       {kPieceBytes - 99, 200}},
      {"blank too far back", std::string(kPieceBytes - 300, 'a') + " " + std::string(400, 'b'),
       {kPieceBytes, 101}},
      {"a character across the limit", std::string(kPieceBytes - 1, 'a') + euro + "b",
       {kPieceBytes - 1, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string laid = platform::win32::LayOutPieces(c.text);
    std::string joined = laid;
    std::erase(joined, '\r');
    EXPECT_EQ(joined, c.text);
    std::vector<std::size_t> lengths;
    const std::string firstLine = laid.substr(0, laid.find('\n'));
    std::size_t start = 0;
    for (;;) {
      const std::size_t end = firstLine.find('\r', start);
      lengths.push_back((end == std::string::npos ? firstLine.size() : end) - start);
      if (end == std::string::npos) break;
      start = end + 1;
    }
    EXPECT_EQ(lengths, c.pieceLengths);
    EXPECT_EQ(platform::win32::HasLongLine(c.text), c.pieceLengths.size() > 1);
  }
}

}  // namespace
