// Memory straight from the system, in pages that read as 0 until written.
#pragma once

#include <cstddef>

namespace sysio {

// `bytes` of fresh memory that reads as 0; the system backs a page only
// when it is first written. nullptr when the system refuses.
void* MapZeroedPages(std::size_t bytes);

// Returns memory from MapZeroedPages; `bytes` is the size it was asked with.
void UnmapPages(void* p, std::size_t bytes) noexcept;

}  // namespace sysio
