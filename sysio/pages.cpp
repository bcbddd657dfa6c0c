// Zeroed pages on POSIX: an anonymous private mapping.
#include "sysio/pages.h"

#include <sys/mman.h>

namespace sysio {

void* MapZeroedPages(std::size_t bytes) {
  void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return p == MAP_FAILED ? nullptr : p;
}

void UnmapPages(void* p, std::size_t bytes) noexcept { ::munmap(p, bytes); }

}  // namespace sysio
