// POSIX implementation of file examination, whole-file reading, opening a source and the process's folders.
#include "sysio/files.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "sysio/posix_calls.h"

namespace sysio {
namespace {

using posix::FdGuard;
using posix::OpenRetrying;

constexpr mode_t kAnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;
constexpr std::size_t kReadChunk = 64 * 1024;
constexpr const char* kDefaultTempDirectory = "/tmp";

FileKind KindOf(mode_t mode) {
  if (S_ISREG(mode)) return FileKind::Regular;
  if (S_ISDIR(mode)) return FileKind::Folder;
  return FileKind::Other;
}

bool WriteProtected(const std::string& path, mode_t mode) {
  // access() and open() grant root every file, so a file whose mode has no
  // write bit at all is taken as write-protected for every user as well.
  return (mode & kAnyWriteBit) == 0 || ::access(path.c_str(), W_OK) != 0;
}

}  // namespace

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

FileAccess ProbeFileAccess(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return FileAccess::Unavailable;
  if (!WriteProtected(path, st.st_mode)) {
    FdGuard fd(OpenRetrying(path.c_str(), O_RDWR | O_NONBLOCK));
    if (fd.get() >= 0) return FileAccess::ReadWrite;
  }
  FdGuard fd(OpenRetrying(path.c_str(), O_RDONLY | O_NONBLOCK));
  return fd.get() >= 0 ? FileAccess::ReadOnly : FileAccess::Unavailable;
}

bool IsWriteProtected(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  return WriteProtected(path, st.st_mode);
}

FileFacts InspectFile(const std::string& path) {
  FileFacts facts;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) {
    if (errno != ENOENT) facts.status = IoStatus::LastError();
    return facts;
  }
  if (S_ISLNK(st.st_mode)) {
    facts.isLink = true;
    if (::stat(path.c_str(), &st) != 0) {
      if (errno != ENOENT) facts.status = IoStatus::LastError();
      return facts;
    }
  }
  facts.kind = KindOf(st.st_mode);
  facts.ownedByUs = st.st_uid == ::geteuid();
  facts.writeProtected = WriteProtected(path, st.st_mode);
  facts.linkCount = st.st_nlink;
  return facts;
}

FileContent ReadWholeFile(const std::string& path, std::size_t maxBytes) {
  FileContent content;
  // O_NONBLOCK: neither the open nor a read waits for a pipe's writer.
  FdGuard fd(OpenRetrying(path.c_str(), O_RDONLY | O_NONBLOCK));
  struct stat st {};
  if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0) {
    content.status = IoStatus::LastError();
    return content;
  }
  if (S_ISDIR(st.st_mode)) {
    content.status = IoStatus::Failure(EISDIR);
    return content;
  }
  if (S_ISREG(st.st_mode) && static_cast<std::uint64_t>(st.st_size) > maxBytes) {
    content.status = IoStatus::Failure(EFBIG);
    return content;
  }
  std::vector<char> chunk(kReadChunk);
  for (;;) {
    const std::size_t room = maxBytes + 1 - content.bytes.size();  // one byte more tells "too large"
    const ssize_t got = ::read(fd.get(), chunk.data(), std::min(chunk.size(), room));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      content.status = IoStatus::LastError();
      break;
    }
    if (got <= 0) break;
    content.bytes.append(chunk.data(), static_cast<std::size_t>(got));
    if (content.bytes.size() > maxBytes) {
      content.status = IoStatus::Failure(EFBIG);
      break;
    }
  }
  if (!content.status) content.bytes.clear();
  return content;
}

bool WriteAll(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t put = ::write(fd, content.data(), content.size());
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return false;
    if (put == 0) {
      errno = EIO;
      return false;
    }
    content.remove_prefix(static_cast<std::size_t>(put));
  }
  return true;
}

std::FILE* OpenForReading(const std::string& path, IoStatus& status) {
  status = IoStatus();
  // O_NONBLOCK keeps the open itself from waiting for a writer on a pipe.
  FdGuard fd(OpenRetrying(path.c_str(), O_RDONLY | O_NONBLOCK));
  struct stat info {};
  if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0) {
    status = IoStatus::LastError();
  } else if (S_ISDIR(info.st_mode)) {
    status = IoStatus::Failure(EISDIR);
  } else if (::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK) != 0) {
    status = IoStatus::LastError();
  }
  std::FILE* file = status ? ::fdopen(fd.get(), "rb") : nullptr;
  if (status && file == nullptr) status = IoStatus::LastError();
  if (file != nullptr) fd.Release();
  if (!status) errno = status.code();
  return file;
}

std::FILE* OpenForReading(const std::string& path) {
  IoStatus ignored;
  return OpenForReading(path, ignored);
}

std::optional<std::uint64_t> RegularFileSize(std::FILE* file) {
  struct stat info {};
  if (::fstat(::fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(info.st_size);
}

std::string CurrentDirectory() {
  std::vector<char> buffer(PATH_MAX);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

std::string TemporaryDirectory() {
  const char* fromEnvironment = std::getenv("TMPDIR");
  if (fromEnvironment != nullptr && *fromEnvironment != '\0') return fromEnvironment;
  return kDefaultTempDirectory;
}

}  // namespace sysio
