// A TCP client connection over POSIX sockets, non-blocking with poll for every wait.
#include "sysio/socket_stream.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace sysio {
namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Waits for the events on fd; true when they came within timeoutMs.
bool WaitFor(int fd, short events, int timeoutMs) {
  pollfd entry{fd, events, 0};
  for (;;) {
    int ready = ::poll(&entry, 1, timeoutMs);
    if (ready >= 0) return ready > 0;
    if (errno != EINTR) return false;
  }
}

// Sends without raising SIGPIPE when the peer has gone.
ssize_t SendNoSignal(int fd, const char* data, std::size_t size) {
  return ::send(fd, data, size, MSG_NOSIGNAL);
}

int ConnectOne(const addrinfo& address, int timeoutMs) {
  int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                    address.ai_protocol);
  if (fd < 0) return -1;
  if (::connect(fd, address.ai_addr, address.ai_addrlen) == 0) return fd;
  if (errno == EINPROGRESS && WaitFor(fd, POLLOUT, timeoutMs)) {
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0) return fd;
  }
  ::close(fd);
  return -1;
}

}  // namespace

SocketStream::~SocketStream() {
  if (m_fd >= 0) ::close(m_fd);
}

SocketError SocketStream::Connect(const std::string& host, int port, int timeoutMs) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  std::string service = std::to_string(port);
  if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0 || found == nullptr) {
    return SocketError::Resolve;
  }
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (addrinfo* address = found; address != nullptr && m_fd < 0; address = address->ai_next) {
    m_fd = ConnectOne(*address, MillisecondsLeft(deadline));
  }
  ::freeaddrinfo(found);
  return m_fd >= 0 ? SocketError::None : SocketError::Connect;
}

SocketError SocketStream::SendAll(const std::string& bytes, int timeoutMs, int retryMs) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    ssize_t n = SendNoSignal(m_fd, bytes.data() + sent, bytes.size() - sent);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return SocketError::Send;
    if (MillisecondsLeft(deadline) == 0) return SocketError::Send;
    std::this_thread::sleep_for(std::chrono::milliseconds(retryMs));
  }
  return SocketError::None;
}

TimedRead SocketStream::Read(char* buffer, std::size_t capacity, int timeoutMs) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    ssize_t n = ::recv(m_fd, buffer, capacity, 0);
    if (n > 0) return {ReadStatus::Data, static_cast<std::size_t>(n)};
    if (n == 0) return {ReadStatus::Closed, 0};
    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return {ReadStatus::Failed, 0};
    int left = MillisecondsLeft(deadline);
    if (left == 0 || !WaitFor(m_fd, POLLIN, left)) return {ReadStatus::TimedOut, 0};
  }
}

}  // namespace sysio
