// A TCP client connection, non-blocking with a poll for every wait: POSIX sockets, or Winsock on Windows.
#include "sysio/socket_stream.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <thread>

namespace sysio {
namespace {

using Handle = SocketStream::Handle;
using Clock = std::chrono::steady_clock;
constexpr Handle kNoSocket = SocketStream::kNoSocket;

// ---- What differs between the systems, one small function each. ----------

#ifdef _WIN32

// Winsock counts sizes in int; a larger piece is sent or read in several calls.
int ClampedSize(std::size_t size) { return static_cast<int>(std::min<std::size_t>(size, INT_MAX)); }

bool StartSocketLayer() {
  WSADATA data;
  // Never ended with WSACleanup: the layer lives as long as the process.
  return WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

// A socket that no child process inherits and whose calls never wait.
Handle OpenNonBlockingSocket(const addrinfo& address) {
  SOCKET s = WSASocketW(address.ai_family, address.ai_socktype, address.ai_protocol, nullptr, 0,
                        WSA_FLAG_NO_HANDLE_INHERIT);
  if (s == INVALID_SOCKET) return kNoSocket;
  u_long nonBlocking = 1;
  if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
    closesocket(s);
    return kNoSocket;
  }
  return s;
}

void CloseSocket(Handle s) { closesocket(s); }

// The last call failed only because it would have had to wait.
bool LastCallWouldWait() {
  const int error = WSAGetLastError();
  return error == WSAEWOULDBLOCK || error == WSAEINTR;
}

// connect() on a non-blocking socket answers "would block" while it goes on.
bool ConnectIsUnderWay() { return WSAGetLastError() == WSAEWOULDBLOCK; }

// Windows has no SIGPIPE: a send to a peer that has gone just fails.
long SendSome(Handle s, const char* data, std::size_t size) { return send(s, data, ClampedSize(size), 0); }

long ReceiveSome(Handle s, char* buffer, std::size_t capacity) {
  return recv(s, buffer, ClampedSize(capacity), 0);
}

// True when one of `events` came within timeoutMs.
bool WaitFor(Handle s, short events, int timeoutMs) {
  WSAPOLLFD entry{s, events, 0};
  return WSAPoll(&entry, 1, timeoutMs) > 0;
}

// Waits for a connect under way to end, well or badly. Not WSAPoll: before
// Windows 10 2004 it never reports a refused connection, so a closed port
// would take the whole time-out; select() reports it in the except set.
bool WaitForConnection(Handle s, int timeoutMs) {
  fd_set writable;
  fd_set failed;
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  FD_SET(s, &writable);
  FD_SET(s, &failed);
  timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  return select(0, nullptr, &writable, &failed, &limit) > 0;
}

int PendingError(Handle s) {
  int error = 0;
  int length = sizeof error;
  if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0) return -1;
  return error;
}

#else

bool StartSocketLayer() { return true; }

Handle OpenNonBlockingSocket(const addrinfo& address) {
  return ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                  address.ai_protocol);
}

void CloseSocket(Handle fd) { ::close(fd); }

bool LastCallWouldWait() { return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR; }

bool ConnectIsUnderWay() { return errno == EINPROGRESS; }

// Sends without raising SIGPIPE when the peer has gone.
long SendSome(Handle fd, const char* data, std::size_t size) { return ::send(fd, data, size, MSG_NOSIGNAL); }

long ReceiveSome(Handle fd, char* buffer, std::size_t capacity) { return ::recv(fd, buffer, capacity, 0); }

bool WaitFor(Handle fd, short events, int timeoutMs) {
  pollfd entry{fd, events, 0};
  for (;;) {
    int ready = ::poll(&entry, 1, timeoutMs);
    if (ready >= 0) return ready > 0;
    if (errno != EINTR) return false;
  }
}

bool WaitForConnection(Handle fd, int timeoutMs) { return WaitFor(fd, POLLOUT, timeoutMs); }

int PendingError(Handle fd) {
  int error = 0;
  socklen_t length = sizeof error;
  if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return -1;
  return error;
}

#endif

// ---- The same on every system. -------------------------------------------

int MillisecondsLeft(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

Handle ConnectOne(const addrinfo& address, int timeoutMs) {
  Handle s = OpenNonBlockingSocket(address);
  if (s == kNoSocket) return kNoSocket;
  if (::connect(s, address.ai_addr, static_cast<int>(address.ai_addrlen)) == 0) return s;
  if (ConnectIsUnderWay() && WaitForConnection(s, timeoutMs) && PendingError(s) == 0) return s;
  CloseSocket(s);
  return kNoSocket;
}

}  // namespace

bool StartNetwork() {
  static const bool started = StartSocketLayer();
  return started;
}

SocketStream::~SocketStream() {
  if (m_socket != kNoSocket) CloseSocket(m_socket);
}

SocketError SocketStream::Connect(const std::string& host, int port, int timeoutMs) {
  if (!StartNetwork()) return SocketError::Resolve;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  std::string service = std::to_string(port);
  if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0 || found == nullptr) {
    return SocketError::Resolve;
  }
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (addrinfo* address = found; address != nullptr && m_socket == kNoSocket; address = address->ai_next) {
    m_socket = ConnectOne(*address, MillisecondsLeft(deadline));
  }
  ::freeaddrinfo(found);
  return m_socket != kNoSocket ? SocketError::None : SocketError::Connect;
}

SocketError SocketStream::SendAll(const std::string& bytes, int timeoutMs, int retryMs) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    long n = SendSome(m_socket, bytes.data() + sent, bytes.size() - sent);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && !LastCallWouldWait()) return SocketError::Send;
    if (MillisecondsLeft(deadline) == 0) return SocketError::Send;
    std::this_thread::sleep_for(std::chrono::milliseconds(retryMs));
  }
  return SocketError::None;
}

TimedRead SocketStream::Read(char* buffer, std::size_t capacity, int timeoutMs) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    long n = ReceiveSome(m_socket, buffer, capacity);
    if (n > 0) return {ReadStatus::Data, static_cast<std::size_t>(n)};
    if (n == 0) return {ReadStatus::Closed, 0};
    if (!LastCallWouldWait()) return {ReadStatus::Failed, 0};
    int left = MillisecondsLeft(deadline);
    if (left == 0 || !WaitFor(m_socket, POLLIN, left)) return {ReadStatus::TimedOut, 0};
  }
}

}  // namespace sysio
