// Zeroed pages: an anonymous private mapping on POSIX, VirtualAlloc on Windows.
#include "sysio/pages.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#endif

namespace sysio {

void* MapZeroedPages(std::size_t bytes) {
#ifdef _WIN32
  // Committed pages read as 0; Windows backs each one on its first touch.
  return ::VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
#else
  void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return p == MAP_FAILED ? nullptr : p;
#endif
}

void UnmapPages(void* p, [[maybe_unused]] std::size_t bytes) noexcept {
#ifdef _WIN32
  ::VirtualFree(p, 0, MEM_RELEASE);  // a release takes the whole reservation, size 0
#else
  ::munmap(p, bytes);
#endif
}

}  // namespace sysio
