// POSIX signal handlers that unlink registered temporary files and end the process by the same signal; nothing to install on Windows.
#include "sysio/signal_cleanup.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>

#ifndef _WIN32
#include <signal.h>
#include <unistd.h>
#endif

namespace sysio {
namespace {

// The handler reads these with no lock: a slot's path is complete before
// `used` turns true and is not rewritten while it is true.
struct Slot {
  std::atomic<bool> used{false};
  char path[PATH_MAX] = {};
};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

Slot g_slots[kMaxRegisteredTemporaries];
std::mutex g_registering;  // between threads; never taken in the handler

#ifndef _WIN32
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Async-signal-safe: unlink, errno, raise. SA_RESETHAND has already put the
// default action back, so the raised signal ends the process.
extern "C" void RemoveAndEnd(int signalNumber) {
  const int savedErrno = errno;
  for (Slot& slot : g_slots) {
    if (slot.used.load(std::memory_order_acquire)) ::unlink(slot.path);
  }
  errno = savedErrno;
  ::raise(signalNumber);
}
#endif

}  // namespace

void RemoveTemporaryFilesOnSignals() {
#ifdef _WIN32
  // Nothing to install: Ctrl+C or a closed console ends the process, and
  // each temporary file is marked for deletion on close (os::CreateTemporary),
  // so the system removes it however the process ends.
#else
  for (const int signalNumber : kEndingSignals) {
    struct sigaction old {};
    if (::sigaction(signalNumber, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = RemoveAndEnd;
    ::sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    ::sigaction(signalNumber, &action, nullptr);
  }
#endif
}

void RegisteredTemporary::Hold(const std::string& path) {
  Release();
  if (path.size() >= PATH_MAX) return;
  std::lock_guard<std::mutex> lock(g_registering);
  for (int i = 0; i < kMaxRegisteredTemporaries; ++i) {
    Slot& slot = g_slots[i];
    if (slot.used.load(std::memory_order_relaxed)) continue;
    std::memcpy(slot.path, path.c_str(), path.size() + 1);
    slot.used.store(true, std::memory_order_release);
    m_slot = i;
    return;
  }
}

void RegisteredTemporary::Release() {
  if (m_slot < 0) return;
  std::lock_guard<std::mutex> lock(g_registering);
  g_slots[m_slot].used.store(false, std::memory_order_release);
  m_slot = -1;
}

}  // namespace sysio
