// A TCP client connection: the one place of the program that uses sockets.
#pragma once

#include <string>

#include "update/byte_source.h"
#include "update/http_error.h"
#include "update/http_limits.h"

namespace update {

// Owns one connected socket and closes it when destroyed. Unlike the
// platform this was first written for, POSIX sockets need no start-up call.
class SocketStream final : public ByteSource {
 public:
  SocketStream() = default;
  ~SocketStream() override;
  SocketStream(const SocketStream&) = delete;
  SocketStream& operator=(const SocketStream&) = delete;

  // Resolves host (a dotted address or a name) and connects to port within
  // limits.connectMs, trying each address in turn. Returns Resolve or
  // Connect on failure.
  HttpError Connect(const std::string& host, int port, const Limits& limits);

  // Sends all of bytes within limits.sendMs; a send that fails for want of
  // room is retried after limits.sendRetryMs. Returns Send on failure.
  HttpError SendAll(const std::string& bytes, const Limits& limits);

  ReadResult Read(char* buffer, std::size_t capacity, int timeoutMs) override;

 private:
  int m_fd = -1;
};

}  // namespace update
