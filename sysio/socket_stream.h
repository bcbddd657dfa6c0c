// A TCP client connection: the one place of the program that uses sockets.
#pragma once

#include <cstdint>
#include <string>

#include "sysio/timed_reader.h"

namespace sysio {

enum class SocketError { None, Resolve, Connect, Send };

// Starts the system's socket layer once for the whole process (Winsock on
// Windows; POSIX sockets need no start-up). False when it cannot be
// started; later calls give the same answer without trying again.
bool StartNetwork();

// Owns one connected socket and closes it when destroyed.
class SocketStream final : public TimedReader {
 public:
  SocketStream() = default;
  ~SocketStream() override;
  SocketStream(const SocketStream&) = delete;
  SocketStream& operator=(const SocketStream&) = delete;

  // Resolves host (a dotted address or a name) and connects to port within
  // timeoutMs, trying each address in turn. Resolve or Connect on failure
  // (Resolve too when the socket layer cannot be started).
  SocketError Connect(const std::string& host, int port, int timeoutMs);
  // Sends all of bytes within timeoutMs; a send that fails for want of room
  // is retried after retryMs. Send on failure.
  SocketError SendAll(const std::string& bytes, int timeoutMs, int retryMs);
  TimedRead Read(char* buffer, std::size_t capacity, int timeoutMs) override;

  // The system's handle of a socket: a descriptor on POSIX, a SOCKET
  // (an unsigned pointer-sized number) on Windows.
#ifdef _WIN32
  using Handle = std::uintptr_t;
  static constexpr Handle kNoSocket = ~Handle{0};
#else
  using Handle = int;
  static constexpr Handle kNoSocket = -1;
#endif

 private:
  Handle m_socket = kNoSocket;
};

}  // namespace sysio
