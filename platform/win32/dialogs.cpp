// The open and save requesters (GetOpenFileNameW, GetSaveFileNameW) and MessageBoxW.
#include "platform/win32/dialogs.h"

#include "platform/win32/wide_text.h"

#include <commdlg.h>

namespace platform::win32 {
namespace {

constexpr DWORD kPathCapacity = 32768;  // the longest path the wide calls take
constexpr unsigned kButtonBits = 0x0F;

// Disables the given windows for its lifetime and enables those it disabled
// again, so that a dialogue is modal to all of the program's windows.
class DisabledWindows {
 public:
  DisabledWindows(HWND owner, const std::vector<HWND>& windows) {
    for (HWND window : windows) {
      // The owner is the dialogue's own to disable and enable: it must be
      // enabled again before the dialogue goes, or it loses the activation.
      if (window == owner || !IsWindowEnabled(window)) continue;
      EnableWindow(window, FALSE);
      m_disabled.push_back(window);
    }
  }
  ~DisabledWindows() {
    for (HWND window : m_disabled) {
      if (IsWindow(window)) EnableWindow(window, TRUE);
    }
  }
  DisabledWindows(const DisabledWindows&) = delete;
  DisabledWindows& operator=(const DisabledWindows&) = delete;

 private:
  std::vector<HWND> m_disabled;
};

std::wstring WithBackslashes(std::wstring path) {
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

}  // namespace

std::wstring FilterFromPattern(const std::string& pattern) {
  std::wstring filter;
  if (pattern.empty()) return filter;
  const std::wstring wide = Widen(pattern);
  std::vector<std::wstring> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t bar = wide.find(L'|', start);
    parts.push_back(wide.substr(start, bar == std::wstring::npos ? std::wstring::npos : bar - start));
    if (bar == std::wstring::npos) break;
    start = bar + 1;
  }
  for (std::size_t i = 0; i < parts.size(); i += 2) {
    const std::wstring patterns = i + 1 < parts.size() && !parts[i + 1].empty() ? parts[i + 1] : L"*.*";
    filter += parts[i];
    filter += L'\0';
    filter += patterns;
    filter += L'\0';
  }
  filter += L'\0';
  return filter;
}

std::string RunFileRequester(const RequesterSpec& spec, HWND owner, const std::vector<HWND>& others) {
  const std::wstring filter = FilterFromPattern(spec.pattern);
  const std::wstring title = Widen(spec.title);
  const std::wstring start = WithBackslashes(Widen(spec.startPath));
  std::wstring folder;
  std::wstring file(kPathCapacity, L'\0');
  const std::size_t lastSlash = start.find_last_of(L'\\');
  if (lastSlash == std::wstring::npos) {
    start.copy(file.data(), std::min<std::size_t>(start.size(), kPathCapacity - 1));
  } else {
    folder = start.substr(0, lastSlash + 1);
    const std::wstring name = start.substr(lastSlash + 1);
    name.copy(file.data(), std::min<std::size_t>(name.size(), kPathCapacity - 1));
  }

  OPENFILENAMEW request{};
  request.lStructSize = sizeof(request);
  request.hwndOwner = owner;
  request.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  request.nFilterIndex = static_cast<DWORD>(spec.selectedPattern + 1);
  request.lpstrFile = file.data();
  request.nMaxFile = kPathCapacity;
  request.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  request.lpstrTitle = title.c_str();
  // The folder must exist; the file need not, and an existing one is
  // replaced without a question. The process's folder stays as it is.
  request.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_ENABLESIZING;

  const DisabledWindows modal(owner, others);
  const BOOL chosen = spec.kind == RequesterKind::Save ? GetSaveFileNameW(&request) : GetOpenFileNameW(&request);
  if (!chosen) return {};
  return Narrow(file.c_str());
}

int RunMessageBox(const std::string& title, const std::string& text, unsigned type, HWND owner,
                  const std::vector<HWND>& others) {
  const bool yesNo = (type & kButtonBits) == kMbYesNo;
  // Without an owner, the box is modal to all windows of the thread.
  const UINT modality = owner == nullptr ? MB_TASKMODAL : 0;
  const DisabledWindows modal(owner, others);
  const int answer = MessageBoxW(owner, Widen(text).c_str(), Widen(title).c_str(), type | modality | MB_SETFOREGROUND);
  if (answer == IDYES) return kAnswerYes;
  if (answer == IDNO) return kAnswerNo;
  return yesNo ? kAnswerNo : kAnswerOk;
}

}  // namespace platform::win32
