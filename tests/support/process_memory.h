// The memory this process holds in RAM, now and at its peak: /proc and getrusage on Linux, the working set on Windows.
#pragma once

#ifdef _WIN32
#include "tests/support/windows_headers.h"

#include <psapi.h>  // after windows.h, whose types it uses
#else
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <cstddef>
#include <cstdio>

namespace fake {

// Resident memory of this process in bytes; 0 when it cannot be told.
inline std::size_t ResidentBytes() {
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS counters{};
  if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return counters.WorkingSetSize;
#else
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  unsigned long size = 0, resident = 0;
  if (statm != nullptr) {
    if (std::fscanf(statm, "%lu %lu", &size, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
#endif
}

// The most resident memory this process has held so far, in bytes; 0 when
// it cannot be told.
inline std::size_t PeakResidentBytes() {
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS counters{};
  if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return counters.PeakWorkingSetSize;
#else
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
  return static_cast<std::size_t>(usage.ru_maxrss) * 1024;  // Linux counts it in KiB
#endif
}

}  // namespace fake
