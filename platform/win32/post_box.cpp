// The hidden window that runs worker changes on the user-interface thread.
#include "platform/win32/post_box.h"

#include <utility>

namespace platform::win32 {
namespace {

constexpr wchar_t kPostWindowClass[] = L"LetterloomPostBox";
constexpr UINT kRunPostsMessage = WM_APP + 1;

bool RegisterPostClass() {
  static const bool registered = [] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kPostWindowClass;
    return RegisterClassExW(&windowClass) != 0;
  }();
  return registered;
}

}  // namespace

std::shared_ptr<PostBox> PostBox::Create() {
  if (!RegisterPostClass()) return nullptr;
  std::shared_ptr<PostBox> box(new PostBox);
  box->m_window = CreateWindowExW(0, kPostWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
  if (box->m_window == nullptr) return nullptr;
  SetWindowLongPtrW(box->m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(box.get()));
  SetWindowLongPtrW(box->m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PostBox::WindowProc));
  return box;
}

PostBox::~PostBox() { Close(); }

void PostBox::Post(std::function<void()> change) {
  std::lock_guard lock(m_mutex);
  if (m_window == nullptr) return;
  m_queue.push_back(std::move(change));
  // A failed post (a full message queue) is tried again by the next change.
  if (!m_wakePending) m_wakePending = PostMessageW(m_window, kRunPostsMessage, 0, 0) != 0;
}

void PostBox::Close() {
  HWND window = nullptr;
  {
    std::lock_guard lock(m_mutex);
    window = std::exchange(m_window, nullptr);
    m_queue.clear();
  }
  if (window != nullptr) DestroyWindow(window);
}

void PostBox::RunQueued() {
  {
    std::lock_guard lock(m_mutex);
    m_wakePending = false;
  }
  for (;;) {
    std::function<void()> change;
    {
      std::lock_guard lock(m_mutex);
      if (m_queue.empty()) return;
      change = std::move(m_queue.front());
      m_queue.pop_front();
    }
    change();
  }
}

LRESULT CALLBACK PostBox::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kRunPostsMessage) {
    if (auto* box = reinterpret_cast<PostBox*>(GetWindowLongPtrW(window, GWLP_USERDATA))) box->RunQueued();
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace platform::win32
