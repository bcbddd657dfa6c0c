// File examination, whole-file reading, opening a source and the process's folders, over the calls of os_calls.h.
#include "sysio/files.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include "sysio/wide_text.h"
#else
#include <climits>
#include <unistd.h>
#endif

#include "sysio/os_calls.h"
#include "sysio/path_names.h"

namespace sysio {
namespace {

using os::FdGuard;

constexpr unsigned kAnyWriteBit = 0222;
constexpr std::size_t kReadChunk = 64 * 1024;
[[maybe_unused]] constexpr const char* kDefaultTempDirectory = "/tmp";

FileKind KindOf(os::Kind kind) {
  switch (kind) {
    case os::Kind::Regular: return FileKind::Regular;
    case os::Kind::Folder: return FileKind::Folder;
    default: return FileKind::Other;
  }
}

bool WriteProtected(const std::string& path, unsigned mode) {
  // access() and open() grant root every file, so a file whose mode has no
  // write bit at all is taken as write-protected for every user as well.
  return (mode & kAnyWriteBit) == 0 || !os::MayWrite(path);
}

}  // namespace

bool IsRegularFile(const std::string& path) {
  const std::optional<os::FileInfo> info = os::InfoOfPath(path);
  return info && info->kind == os::Kind::Regular;
}

FileAccess ProbeFileAccess(const std::string& path) {
  const std::optional<os::FileInfo> info = os::InfoOfPath(path);
  if (!info || info->kind != os::Kind::Regular) return FileAccess::Unavailable;
  if (!WriteProtected(path, info->mode)) {
    FdGuard fd(os::Open(path, os::kReadWrite | os::kNoWait));
    if (fd.get() >= 0) return FileAccess::ReadWrite;
  }
  FdGuard fd(os::Open(path, os::kRead | os::kNoWait));
  return fd.get() >= 0 ? FileAccess::ReadOnly : FileAccess::Unavailable;
}

bool IsWriteProtected(const std::string& path) {
  const std::optional<os::FileInfo> info = os::InfoOfPath(path);
  return info && WriteProtected(path, info->mode);
}

FileFacts InspectFile(const std::string& path) {
  FileFacts facts;
  std::optional<os::FileInfo> info = os::InfoOfName(path);
  if (!info) {
    if (errno != ENOENT) facts.status = IoStatus::LastError();
    return facts;
  }
  if (info->kind == os::Kind::Link) {
    facts.isLink = true;
    info = os::InfoOfPath(path);
    if (!info) {
      if (errno != ENOENT) facts.status = IoStatus::LastError();
      return facts;
    }
  }
  facts.kind = KindOf(info->kind);
  facts.ownedByUs = info->ownedByUs;
  facts.writeProtected = WriteProtected(path, info->mode);
  facts.linkCount = info->links;
  return facts;
}

FileContent ReadWholeFile(const std::string& path, std::size_t maxBytes) {
  FileContent content;
  // kNoWait: neither the open nor a read waits for a pipe's writer.
  FdGuard fd(os::Open(path, os::kRead | os::kNoWait));
  const std::optional<os::FileInfo> info = fd.get() >= 0 ? os::InfoOf(fd.get()) : std::nullopt;
  if (!info) {
    content.status = IoStatus::LastError();
    return content;
  }
  if (info->kind == os::Kind::Folder) {
    content.status = IoStatus::Failure(EISDIR);
    return content;
  }
  if (info->kind == os::Kind::Regular && info->size > maxBytes) {
    content.status = IoStatus::Failure(EFBIG);
    return content;
  }
  std::vector<char> chunk(kReadChunk);
  for (;;) {
    const std::size_t room = maxBytes + 1 - content.bytes.size();  // one byte more tells "too large"
    const long got = os::ReadSome(fd.get(), chunk.data(), std::min(chunk.size(), room));
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
    const long put = os::WriteSome(fd, content.data(), content.size());
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
  // kNoWait keeps the open itself from waiting for a writer on a pipe.
  FdGuard fd(os::Open(path, os::kRead | os::kNoWait));
  const std::optional<os::FileInfo> info = fd.get() >= 0 ? os::InfoOf(fd.get()) : std::nullopt;
  if (!info) {
    status = IoStatus::LastError();
  } else if (info->kind == os::Kind::Folder) {
    status = IoStatus::Failure(EISDIR);
  } else if (!os::MakeBlocking(fd.get())) {
    status = IoStatus::LastError();
  }
  std::FILE* file = status ? os::StreamOf(fd.get(), "rb") : nullptr;
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
  const std::optional<os::FileInfo> info = os::InfoOf(os::DescriptorOf(file));
  if (!info || info->kind != os::Kind::Regular) return std::nullopt;
  return info->size;
}

std::string CurrentDirectory() {
#ifdef _WIN32
  const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
  std::wstring buffer(size, L'\0');
  const DWORD length = ::GetCurrentDirectoryW(size, buffer.data());
  if (length == 0 || length >= size) return {};
  buffer.resize(length);
  return windows::Narrow(buffer);
#else
  std::vector<char> buffer(PATH_MAX);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
#endif
}

std::string TemporaryDirectory() {
#ifdef _WIN32
  // The user's own temporary folder (TMP, TEMP, USERPROFILE, else the
  // Windows folder), without the separator GetTempPathW ends it with.
  wchar_t buffer[MAX_PATH + 1];
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
  if (length == 0 || length > MAX_PATH) return {};
  std::string folder = windows::Narrow(std::wstring_view(buffer, length));
  if (folder.size() > 3 && IsPathSeparator(folder.back())) folder.pop_back();  // "C:\" stays whole
  return folder;
#else
  const char* fromEnvironment = std::getenv("TMPDIR");
  if (fromEnvironment != nullptr && *fromEnvironment != '\0') return fromEnvironment;
  return kDefaultTempDirectory;
#endif
}

}  // namespace sysio
