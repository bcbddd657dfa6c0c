// Opens the clipboard with a few retries and moves text in and out of global memory.
#include "platform/win32/clipboard.h"

#include "platform/win32/wide_text.h"

#include <climits>
#include <cstring>

namespace platform::win32 {
namespace {

constexpr int kOpenAttempts = 5;       // another program may hold the clipboard a moment
constexpr DWORD kOpenRetryMs = 10;

class OpenedClipboard {
 public:
  explicit OpenedClipboard(HWND owner) {
    for (int attempt = 0; attempt < kOpenAttempts && !m_open; ++attempt) {
      m_open = OpenClipboard(owner) != 0;
      if (!m_open) Sleep(kOpenRetryMs);
    }
  }
  ~OpenedClipboard() {
    if (m_open) CloseClipboard();
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  bool open() const { return m_open; }

 private:
  bool m_open = false;
};

// Hands `bytes` (which end in their NUL) to the clipboard under `format`.
bool Put(UINT format, const void* bytes, std::size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (memory == nullptr) return false;
  void* target = GlobalLock(memory);
  if (target == nullptr) {
    GlobalFree(memory);
    return false;
  }
  std::memcpy(target, bytes, size);
  GlobalUnlock(memory);
  if (SetClipboardData(format, memory) == nullptr) {
    GlobalFree(memory);
    return false;
  }
  return true;  // the clipboard owns the memory now
}

std::string InAnsiCodePage(const std::wstring& wide) {
  if (wide.empty() || wide.size() > INT_MAX) return {};
  const int size = static_cast<int>(wide.size());
  const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string out(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), size, out.data(), bytes, nullptr, nullptr);
  return out;
}

}  // namespace

std::optional<std::string> ReadClipboardText(HWND owner) {
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) return std::nullopt;
  const OpenedClipboard clipboard(owner);
  if (!clipboard.open()) return std::nullopt;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (data == nullptr) return std::nullopt;
  const auto* text = static_cast<const wchar_t*>(GlobalLock(data));
  if (text == nullptr) return std::nullopt;
  const std::size_t capacity = GlobalSize(data) / sizeof(wchar_t);
  std::size_t length = 0;
  while (length < capacity && text[length] != L'\0') ++length;
  std::string utf8 = Narrow(std::wstring_view(text, length));
  GlobalUnlock(data);
  return utf8;
}

bool WriteClipboardText(HWND owner, const std::string& utf8) {
  const std::wstring wide = Widen(utf8);
  const std::string ansi = InAnsiCodePage(wide);
  const OpenedClipboard clipboard(owner);
  if (!clipboard.open() || !EmptyClipboard()) return false;
  const bool unicode = Put(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
  const bool narrow = Put(CF_TEXT, ansi.c_str(), ansi.size() + 1);
  return unicode || narrow;
}

}  // namespace platform::win32
