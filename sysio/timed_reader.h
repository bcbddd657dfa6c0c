// The reading side of a connection: bytes that arrive with a time limit on each wait.
#pragma once

#include <cstddef>

namespace sysio {

enum class ReadStatus { Data, Closed, TimedOut, Failed };

struct TimedRead {
  ReadStatus status = ReadStatus::Failed;
  std::size_t size = 0;  // bytes delivered when status is Data (never 0 then)
};

// Something that delivers bytes with a time limit per read: a socket in the
// program, a string in a test.
class TimedReader {
 public:
  virtual ~TimedReader() = default;
  // Waits up to timeoutMs for at least one byte and delivers at most
  // capacity bytes into buffer.
  virtual TimedRead Read(char* buffer, std::size_t capacity, int timeoutMs) = 0;
};

}  // namespace sysio
