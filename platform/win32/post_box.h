// Worker posts of the Win32 backend: changes queued from any thread and run in order on the user-interface thread.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace platform::win32 {

// Changes wait in one queue; a message to a hidden message-only window
// wakes the user-interface thread, whose window procedure runs them in the
// order they were posted, also inside modal loops (message boxes,
// requesters). Only the change that empties the queue posts a message, so
// the thread's message queue never fills up however much workers post.
class PostBox {
 public:
  // Creates the hidden window on the calling thread, which becomes the one
  // that runs the changes. Null when the window cannot be created.
  static std::shared_ptr<PostBox> Create();
  ~PostBox();

  PostBox(const PostBox&) = delete;
  PostBox& operator=(const PostBox&) = delete;

  // Queues a change; safe from any thread. After Stop it is dropped.
  void Post(std::function<void()> change);
  // Drops the queued changes and every later post, and destroys the hidden
  // window; called on the user-interface thread.
  void Close();
  // The hidden window: also the owner the clipboard needs.
  HWND window() const { return m_window; }

 private:
  PostBox() = default;
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void RunQueued();

  std::mutex m_mutex;
  std::deque<std::function<void()>> m_queue;
  HWND m_window = nullptr;
  bool m_wakePending = false;  // a wake message is on its way
};

}  // namespace platform::win32
