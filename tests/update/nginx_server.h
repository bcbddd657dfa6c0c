// Starts the system's nginx on a free loopback port with a configuration and files of the test's own.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/update/scripted_server.h"

extern char** environ;

namespace testing_update {

inline constexpr const char* kNginxPath = "/usr/sbin/nginx";

// One nginx serving `files` (path below the root -> content) from a temp
// directory. error() says why it did not start; the destructor stops it.
class NginxServer {
 public:
  explicit NginxServer(const std::map<std::string, std::string>& files) {
    if (::access(kNginxPath, X_OK) != 0) {
      m_error = std::string(kNginxPath) + " is missing: install nginx-light (tools/deps)";
      return;
    }
    for (const auto& [path, content] : files) {
      std::filesystem::path file = m_dir.Path() + "www" + path;
      std::filesystem::create_directories(file.parent_path());
      fake::WriteWholeFile(file.string(), content);
    }
    std::filesystem::create_directories(m_dir.Path() + "temp");
    for (int attempt = 0; attempt < kStartAttempts && m_pid <= 0; ++attempt) Start();
  }

  ~NginxServer() {
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGTERM);
    ::waitpid(m_pid, nullptr, 0);
  }
  NginxServer(const NginxServer&) = delete;
  NginxServer& operator=(const NginxServer&) = delete;

  const std::string& error() const { return m_error; }
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
  }

 private:
  static constexpr int kStartAttempts = 3;
  static constexpr int kReadyPolls = 200;
  static constexpr int kReadyPollMs = 25;

  std::string Config() const {
    std::string text = fake::ReadWholeFile(std::string(LETTERLOOM_TEST_SOURCE_DIR) + "/update/nginx.conf.in");
    std::string prefix = m_dir.Path();
    prefix.pop_back();
    // Workers of a root master would run as an unprivileged user that
    // cannot read the private temp directory.
    std::string user;
    if (::geteuid() == 0) {
      const passwd* entry = ::getpwuid(0);
      user = "user " + std::string(entry ? entry->pw_name : "root") + ";";
    }
    Replace(text, "@PREFIX@", prefix);
    Replace(text, "@PORT@", std::to_string(m_port));
    Replace(text, "@USER@", user);
    return text;
  }

  static void Replace(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
      text.replace(at, from.size(), to);
    }
  }

  void Start() {
    m_port = ClosedPort();
    std::string conf = m_dir.Path() + "nginx.conf";
    fake::WriteWholeFile(conf, Config());
    std::string prefix = m_dir.Path();
    std::string errorLog = prefix + "error.log";
    std::vector<std::string> args = {kNginxPath, "-p", prefix, "-c", conf, "-e", errorLog};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawn(&pid, kNginxPath, nullptr, nullptr, argv.data(), environ) != 0) {
      m_error = "nginx could not be started";
      return;
    }
    for (int poll = 0; poll < kReadyPolls; ++poll) {
      if (::waitpid(pid, nullptr, WNOHANG) == pid) {
        m_error = "nginx ended at once; see its log: " + fake::ReadWholeFile(errorLog);
        return;
      }
      if (Answers()) {
        m_pid = pid;
        m_error.clear();
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(kReadyPollMs));
    }
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    m_error = "nginx did not open its port; see its log: " + fake::ReadWholeFile(errorLog);
  }

  bool Answers() const {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(m_port));
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
  }

  fake::TempDir m_dir;
  std::string m_error;
  int m_port = 0;
  pid_t m_pid = -1;
};

}  // namespace testing_update
