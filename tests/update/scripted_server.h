// A loopback HTTP server for tests that answers each request with scripted bytes: POSIX sockets or Winsock.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sysio/socket_stream.h"

namespace testing_update {

// What differs between POSIX sockets and Winsock, one small function each.
#ifdef _WIN32
using Socket = SOCKET;
inline constexpr Socket kNoSocket = INVALID_SOCKET;
using AddressLength = int;
inline Socket OpenListener() { return ::WSASocketW(AF_INET, SOCK_STREAM, 0, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT); }
inline void CloseSocket(Socket s) { ::closesocket(s); }
inline int PollOne(Socket s, short events, int timeoutMs) {
  WSAPOLLFD entry{s, events, 0};
  return ::WSAPoll(&entry, 1, timeoutMs);
}
inline Socket AcceptNonBlocking(Socket listener) {
  Socket client = ::accept(listener, nullptr, nullptr);
  u_long nonBlocking = 1;
  if (client != kNoSocket) ::ioctlsocket(client, FIONBIO, &nonBlocking);
  return client;
}
inline long SendSome(Socket s, const char* data, std::size_t size) { return ::send(s, data, static_cast<int>(size), 0); }
inline long ReceiveSome(Socket s, char* buffer, std::size_t size) { return ::recv(s, buffer, static_cast<int>(size), 0); }
inline bool SendWouldWait() { return ::WSAGetLastError() == WSAEWOULDBLOCK; }
#else
using Socket = int;
inline constexpr Socket kNoSocket = -1;
using AddressLength = socklen_t;
inline Socket OpenListener() { return ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0); }
inline void CloseSocket(Socket s) { ::close(s); }
inline int PollOne(Socket s, short events, int timeoutMs) {
  pollfd entry{s, events, 0};
  return ::poll(&entry, 1, timeoutMs);
}
inline Socket AcceptNonBlocking(Socket listener) { return ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC); }
inline long SendSome(Socket s, const char* data, std::size_t size) { return ::send(s, data, size, MSG_NOSIGNAL); }
inline long ReceiveSome(Socket s, char* buffer, std::size_t size) { return ::recv(s, buffer, size, 0); }
inline bool SendWouldWait() { return errno == EAGAIN || errno == EINTR; }
#endif

// What the server does on one connection once the request's head is in.
struct Reply {
  Reply(std::string bytesIn = "", std::string repeatIn = "", bool holdOpenIn = false,
        int repeatPauseMsIn = 0)
      : bytes(std::move(bytesIn)),
        repeat(std::move(repeatIn)),
        holdOpen(holdOpenIn),
        repeatPauseMs(repeatPauseMsIn) {}

  std::string bytes;   // sent first
  std::string repeat;  // then sent again and again until the client goes
  bool holdOpen;       // then stays silent until the client closes
  int repeatPauseMs;   // pause before each repeat: a server that trickles
};

// Listens on 127.0.0.1 at a free port and answers in a thread of its own.
// The reply is chosen by the request's path ("/a/b?c"), else the one for "*".
class ScriptedServer {
 public:
  explicit ScriptedServer(std::map<std::string, Reply> replies) : m_replies(std::move(replies)) {
    sysio::StartNetwork();
    m_listener = OpenListener();
#ifndef _WIN32
    // Windows' SO_REUSEADDR would let another program take the port from us.
    int yes = 1;
    ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
#endif
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    AddressLength length = sizeof address;
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
        ::listen(m_listener, 16) == 0 &&
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
      m_port = ntohs(address.sin_port);
    }
    m_thread = std::thread([this] { Serve(); });
  }

  ~ScriptedServer() {
    m_stop = true;
    m_thread.join();
    CloseSocket(m_listener);
  }

  int port() const { return m_port; }
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
  }
  // The request heads received so far, in order.
  std::vector<std::string> requests() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
  }

 private:
  static constexpr int kPollMs = 20;
  static constexpr std::size_t kMaxRequestBytes = 64 * 1024;
  static constexpr std::size_t kRepeatBurstBytes = 4096;

  bool WaitFor(Socket s, short events) const {
    while (!m_stop) {
      if (PollOne(s, events, kPollMs) > 0) return true;
    }
    return false;
  }

  void Serve() {
    while (WaitFor(m_listener, POLLIN)) {
      Socket client = AcceptNonBlocking(m_listener);
      if (client == kNoSocket) continue;
      Answer(client);
      CloseSocket(client);
    }
  }

  void Answer(Socket client) {
    std::string request;
    char piece[1024];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < kMaxRequestBytes) {
      if (!WaitFor(client, POLLIN)) return;
      long n = ReceiveSome(client, piece, sizeof piece);
      if (n <= 0) return;
      request.append(piece, static_cast<std::size_t>(n));
    }
    const Reply& reply = ReplyFor(request);
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_requests.push_back(request);
    }
    if (!Send(client, reply.bytes)) return;
    const std::string repeat = RepeatBurst(reply);
    while (!repeat.empty() && !m_stop) {
      if (reply.repeatPauseMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(reply.repeatPauseMs));
      if (!Send(client, repeat)) return;
    }
    if (reply.holdOpen) {
      while (WaitFor(client, POLLIN) && ReceiveSome(client, piece, sizeof piece) > 0) {
      }
    }
  }

  // Without a pause, the repeats go out many to a send: the client sees
  // the same stream, and a one-byte repeat does not take a system call per
  // byte (too slow under Wine to fill a header line within its limit).
  static std::string RepeatBurst(const Reply& reply) {
    if (reply.repeat.empty() || reply.repeatPauseMs > 0) return reply.repeat;
    std::string burst;
    while (burst.size() < kRepeatBurstBytes) burst += reply.repeat;
    return burst;
  }

  const Reply& ReplyFor(const std::string& request) const {
    std::size_t start = request.find(' ') + 1;
    std::string path = request.substr(start, request.find(' ', start) - start);
    auto it = m_replies.find(path);
    if (it == m_replies.end()) it = m_replies.find("*");
    static const Reply kNone{"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"};
    return it == m_replies.end() ? kNone : it->second;
  }

  // False once the client has gone or the server stops.
  bool Send(Socket client, const std::string& bytes) const {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
      if (!WaitFor(client, POLLOUT)) return false;
      long n = SendSome(client, bytes.data() + sent, bytes.size() - sent);
      if (n < 0 && !SendWouldWait()) return false;
      if (n > 0) sent += static_cast<std::size_t>(n);
    }
    return true;
  }

  std::map<std::string, Reply> m_replies;
  Socket m_listener = kNoSocket;
  int m_port = 0;
  std::atomic<bool> m_stop{false};
  mutable std::mutex m_mutex;
  std::vector<std::string> m_requests;
  std::thread m_thread;
};

// A loopback port with nobody listening on it.
inline int ClosedPort() {
  sysio::StartNetwork();
  Socket s = OpenListener();
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  AddressLength length = sizeof address;
  ::bind(s, reinterpret_cast<sockaddr*>(&address), length);
  ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  CloseSocket(s);
  return ntohs(address.sin_port);
}

}  // namespace testing_update
