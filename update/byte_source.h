// The reading side of a connection, as the HTTP answer parser sees it.
#pragma once

#include <cstddef>

namespace update {

enum class ReadStatus { Data, Closed, TimedOut, Failed };

struct ReadResult {
  ReadStatus status = ReadStatus::Failed;
  std::size_t size = 0;  // bytes delivered when status is Data (never 0 then)
};

// Something that delivers bytes with a time limit per read: a socket in the
// program, a string in a test.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Waits up to timeoutMs for at least one byte and delivers at most
  // capacity bytes into buffer.
  virtual ReadResult Read(char* buffer, std::size_t capacity, int timeoutMs) = 0;
};

}  // namespace update
