// A TCP client connection: the one place of the program that uses sockets.
#pragma once

#include <string>

#include "sysio/timed_reader.h"

namespace sysio {

enum class SocketError { None, Resolve, Connect, Send };

// Owns one connected socket and closes it when destroyed.
class SocketStream final : public TimedReader {
 public:
  SocketStream() = default;
  ~SocketStream() override;
  SocketStream(const SocketStream&) = delete;
  SocketStream& operator=(const SocketStream&) = delete;

  // Resolves host (a dotted address or a name) and connects to port within
  // timeoutMs, trying each address in turn. Resolve or Connect on failure.
  SocketError Connect(const std::string& host, int port, int timeoutMs);
  // Sends all of bytes within timeoutMs; a send that fails for want of room
  // is retried after retryMs. Send on failure.
  SocketError SendAll(const std::string& bytes, int timeoutMs, int retryMs);
  TimedRead Read(char* buffer, std::size_t capacity, int timeoutMs) override;

 private:
  int m_fd = -1;
};

}  // namespace sysio
