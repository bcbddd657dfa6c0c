// The file-system calls of sysio on Windows: wide calls on handles, under C runtime descriptors, with errors as errno values.
#include "sysio/os_calls.h"

#ifdef _WIN32

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <random>

#include "sysio/wide_text.h"

namespace sysio::os {

namespace {

using windows::Narrow;
using windows::Widen;

// Other processes may read, write, rename and delete a file we hold open,
// as on POSIX; without FILE_SHARE_DELETE an open file cannot be replaced.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr unsigned kReadOnlyMode = 0444;
constexpr unsigned kWritableMode = 0666;
constexpr unsigned kAnyWriteBit = 0222;
constexpr DWORD kLargestPiece = 1u << 30;  // ReadFile and WriteFile count in 32 bits
constexpr int kFolderNameAttempts = 16;
constexpr const wchar_t* kLongPathPrefix = L"\\\\?\\";
constexpr const wchar_t* kLongUncPrefix = L"\\\\?\\UNC\\";

// The errno value nearest to a Windows error.
int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_NAME:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_PRIVILEGE_NOT_HELD:
      return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    case ERROR_DIRECTORY:
      return ENOTDIR;
    case ERROR_DIR_NOT_EMPTY:
      return ENOTEMPTY;
    case ERROR_NOT_SAME_DEVICE:
      return EXDEV;
    case ERROR_TOO_MANY_OPEN_FILES:
      return EMFILE;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    case ERROR_INVALID_HANDLE:
      return EBADF;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
      return EPIPE;
    case ERROR_INVALID_PARAMETER:
      return EINVAL;
    default:
      return EIO;
  }
}

// Sets errno from the calling thread's last Windows error; for returns.
void SetErrnoFromLastError() { errno = ErrnoOf(::GetLastError()); }

HANDLE HandleOf(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

// A FILETIME (100 ns steps since 1601) as seconds since 1970.
std::int64_t SecondsSince1970(FILETIME time) {
  constexpr std::int64_t kStepsPerSecond = 10'000'000;
  constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;
  const std::int64_t steps = static_cast<std::int64_t>((std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime);
  return steps / kStepsPerSecond - kSecondsFrom1601To1970;
}

// Marks or unmarks the open file for deletion when its last handle closes.
bool SetDeleteOnClose(HANDLE file, bool remove) {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = remove ? TRUE : FALSE;
  if (::SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition)) return true;
  SetErrnoFromLastError();
  return false;
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

DWORD DispositionOf(unsigned flags) {
  if ((flags & kExclusive) != 0) return CREATE_NEW;  // fails on any existing name, a link too
  if ((flags & kCreate) != 0) return (flags & kTruncate) != 0 ? CREATE_ALWAYS : OPEN_ALWAYS;
  return (flags & kTruncate) != 0 ? TRUNCATE_EXISTING : OPEN_EXISTING;
}

// Whether a reparse point is a link: a symbolic link or a junction (other
// reparse points, such as cloud placeholders, are files of their own).
bool IsLinkTag(HANDLE file) {
  FILE_ATTRIBUTE_TAG_INFO tag{};
  if (!::GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof tag)) return false;
  return (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
         (tag.ReparseTag == IO_REPARSE_TAG_SYMLINK || tag.ReparseTag == IO_REPARSE_TAG_MOUNT_POINT);
}

std::optional<FileInfo> InfoOfHandle(HANDLE file, bool linkItself) {
  FileInfo info;
  info.ownedByUs = true;
  const DWORD type = ::GetFileType(file);
  if (type != FILE_TYPE_DISK) {
    if (type == FILE_TYPE_UNKNOWN && ::GetLastError() != NO_ERROR) {
      SetErrnoFromLastError();
      return std::nullopt;
    }
    info.kind = Kind::Other;  // a console, the NUL device, a pipe
    info.mode = kWritableMode;
    info.links = 1;
    return info;
  }
  BY_HANDLE_FILE_INFORMATION data{};
  if (!::GetFileInformationByHandle(file, &data)) {
    SetErrnoFromLastError();
    return std::nullopt;
  }
  if (linkItself && IsLinkTag(file)) {
    info.kind = Kind::Link;
  } else {
    info.kind = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? Kind::Folder : Kind::Regular;
  }
  info.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  info.mode = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0 ? kReadOnlyMode : kWritableMode;
  info.links = data.nNumberOfLinks;
  info.identity = {true, data.dwVolumeSerialNumber,
                   (std::uint64_t{data.nFileIndexHigh} << 32) | data.nFileIndexLow};
  info.modified = SecondsSince1970(data.ftLastWriteTime);
  return info;
}

// Asks about a path through a handle that reads nothing (so no other
// handle's sharing stands in the way); folders and links may be opened so.
std::optional<FileInfo> InfoOfPathHandle(const std::string& path, bool linkItself) {
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (linkItself ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
  HANDLE file = ::CreateFileW(Widen(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                              OPEN_EXISTING, flags, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    SetErrnoFromLastError();
    return std::nullopt;
  }
  std::optional<FileInfo> info = InfoOfHandle(file, linkItself);
  ::CloseHandle(file);
  return info;
}

// "C:\a" from "\\?\C:\a", "\\server\share" from "\\?\UNC\server\share".
std::wstring WithoutLongPrefix(std::wstring path) {
  const std::wstring unc = kLongUncPrefix;
  const std::wstring local = kLongPathPrefix;
  if (path.compare(0, unc.size(), unc) == 0) return L"\\\\" + path.substr(unc.size());
  if (path.compare(0, local.size(), local) == 0) return path.substr(local.size());
  return path;
}

}  // namespace

int Open(const std::string& path, unsigned flags, unsigned) {
  DWORD access = 0;
  if ((flags & kRead) != 0) access |= GENERIC_READ;
  if ((flags & kWrite) != 0) access |= GENERIC_WRITE;
  const std::wstring wide = Widen(path);
  const DWORD attributes = FILE_ATTRIBUTE_NORMAL | ((flags & kNoLink) != 0 ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
  HANDLE file = ::CreateFileW(wide.c_str(), access, kShareAll, nullptr, DispositionOf(flags), attributes, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    // A folder cannot be opened as a file: Windows says "access denied".
    errno = error == ERROR_ACCESS_DENIED && IsFolder(wide) ? EISDIR : ErrnoOf(error);
    return -1;
  }
  if ((flags & kNoLink) != 0 && IsLinkTag(file)) {
    ::CloseHandle(file);
    errno = ELOOP;
    return -1;
  }
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file),
                                   _O_BINARY | ((flags & kWrite) == 0 ? _O_RDONLY : 0));
  if (fd < 0) ::CloseHandle(file);
  return fd;
}

bool Close(int fd) { return ::_close(fd) == 0; }

int CreateTemporary(const std::string& path, unsigned) {
  // DELETE access, so that the deletion mark can be set and taken away.
  HANDLE file = ::CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, kShareAll, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    SetErrnoFromLastError();
    return -1;
  }
  if (!SetDeleteOnClose(file, true)) {
    const int cause = errno;
    ::CloseHandle(file);
    ::DeleteFileW(Widen(path).c_str());
    errno = cause;
    return -1;
  }
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), _O_BINARY);
  if (fd < 0) ::CloseHandle(file);  // the mark removes the file
  return fd;
}

bool KeepWhenClosed(int fd) { return SetDeleteOnClose(HandleOf(fd), false); }

int OpenUnnamed(const std::string&, unsigned) {
  errno = EOPNOTSUPP;
  return -1;
}

bool NameUnnamed(int, const std::string&) {
  errno = EOPNOTSUPP;
  return false;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found{};
  HANDLE search = ::FindFirstFileW(Widen(folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(Narrow(name));
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return names;
}

bool MakeBlocking(int) { return true; }

std::FILE* StreamOf(int fd, const char* mode) { return ::_fdopen(fd, mode); }

int DescriptorOf(std::FILE* stream) { return ::_fileno(stream); }

long ReadSome(int fd, char* buffer, std::size_t size) {
  DWORD done = 0;
  const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(size, kLargestPiece));
  if (!::ReadFile(HandleOf(fd), buffer, piece, &done, nullptr)) {
    if (::GetLastError() == ERROR_BROKEN_PIPE) return 0;  // a pipe whose writer has gone: the end
    SetErrnoFromLastError();
    return -1;
  }
  return static_cast<long>(done);
}

long WriteSome(int fd, const char* bytes, std::size_t size) {
  DWORD done = 0;
  const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(size, kLargestPiece));
  if (!::WriteFile(HandleOf(fd), bytes, piece, &done, nullptr)) {
    SetErrnoFromLastError();
    return -1;
  }
  if (done == 0 && size > 0) errno = EIO;
  return static_cast<long>(done);
}

long ReadAt(int fd, char* buffer, std::size_t size, std::uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD done = 0;
  const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(size, kLargestPiece));
  if (!::ReadFile(HandleOf(fd), buffer, piece, &done, &at)) {
    if (::GetLastError() == ERROR_HANDLE_EOF) return 0;
    SetErrnoFromLastError();
    return -1;
  }
  return static_cast<long>(done);
}

long WriteAt(int fd, const char* bytes, std::size_t size, std::uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD done = 0;
  const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(size, kLargestPiece));
  if (!::WriteFile(HandleOf(fd), bytes, piece, &done, &at)) {
    SetErrnoFromLastError();
    return -1;
  }
  return static_cast<long>(done);
}

bool Truncate(int fd, std::uint64_t size) {
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
  if (::SetFileInformationByHandle(HandleOf(fd), FileEndOfFileInfo, &end, sizeof end)) return true;
  SetErrnoFromLastError();
  return false;
}

bool SyncToDisk(int fd) {
  if (::FlushFileBuffers(HandleOf(fd))) return true;
  SetErrnoFromLastError();
  return false;
}

void SyncFolder(const std::string&) {}

bool ReplaceAtomically(const std::string& from, const std::string& to) {
  if (::MoveFileExW(Widen(from).c_str(), Widen(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  SetErrnoFromLastError();
  return false;
}

bool RemoveFile(const std::string& path) {
  if (::DeleteFileW(Widen(path).c_str())) return true;
  SetErrnoFromLastError();
  return false;
}

std::string MakeUniqueFolder(const std::string& parent, const std::string& prefix) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::random_device random;
  for (int attempt = 0; attempt < kFolderNameAttempts; ++attempt) {
    std::string name = prefix;
    for (int i = 0; i < 6; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
    const std::string folder = parent + "\\" + name;
    if (::CreateDirectoryW(Widen(folder).c_str(), nullptr)) return folder;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  SetErrnoFromLastError();
  return {};
}

bool RemoveFolder(const std::string& path) {
  if (::RemoveDirectoryW(Widen(path).c_str())) return true;
  SetErrnoFromLastError();
  return false;
}

std::optional<FileInfo> InfoOf(int fd) {
  const HANDLE file = HandleOf(fd);
  if (file == INVALID_HANDLE_VALUE) {
    errno = EBADF;
    return std::nullopt;
  }
  return InfoOfHandle(file, false);
}

std::optional<FileInfo> InfoOfPath(const std::string& path) { return InfoOfPathHandle(path, false); }

std::optional<FileInfo> InfoOfName(const std::string& path) { return InfoOfPathHandle(path, true); }

bool MayWrite(const std::string& path) {
  const std::wstring wide = Widen(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) != 0) return false;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return true;
  // The access list may still refuse; a file another program holds is not refused by it.
  HANDLE file = ::CreateFileW(wide.c_str(), FILE_WRITE_DATA, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return ::GetLastError() != ERROR_ACCESS_DENIED;
  ::CloseHandle(file);
  return true;
}

std::string ResolveLink(const std::string& path) {
  const std::optional<FileInfo> name = InfoOfName(path);
  if (!name || name->kind != Kind::Link) return path;
  HANDLE file = ::CreateFileW(Widen(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return path;
  std::wstring resolved(MAX_PATH, L'\0');
  DWORD length = ::GetFinalPathNameByHandleW(file, resolved.data(), static_cast<DWORD>(resolved.size()),
                                             FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (length >= resolved.size()) {
    resolved.resize(length + 1);
    length = ::GetFinalPathNameByHandleW(file, resolved.data(), static_cast<DWORD>(resolved.size()),
                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  }
  ::CloseHandle(file);
  if (length == 0 || length >= resolved.size()) return path;
  resolved.resize(length);
  return Narrow(WithoutLongPrefix(resolved));
}

bool SetMode(int fd, unsigned mode) {
  FILE_BASIC_INFO basic{};
  const HANDLE file = HandleOf(fd);
  if (!::GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic)) {
    SetErrnoFromLastError();
    return false;
  }
  if ((mode & kAnyWriteBit) == 0) {
    basic.FileAttributes |= FILE_ATTRIBUTE_READONLY;
  } else {
    basic.FileAttributes &= ~DWORD{FILE_ATTRIBUTE_READONLY};
  }
  if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  // Times of 0 are left as they are.
  basic.CreationTime.QuadPart = basic.LastAccessTime.QuadPart = 0;
  basic.LastWriteTime.QuadPart = basic.ChangeTime.QuadPart = 0;
  if (::SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic)) return true;
  SetErrnoFromLastError();
  return false;
}

bool SetOwner(int, unsigned, unsigned) { return true; }

long ProcessId() { return static_cast<long>(::GetCurrentProcessId()); }

bool ProcessIsGone(long pid) {
  HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
  if (process == nullptr) return ::GetLastError() == ERROR_INVALID_PARAMETER;
  // A process that has ended but is still held by someone: gone all the same.
  const bool ended = ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
  ::CloseHandle(process);
  return ended;
}

}  // namespace sysio::os

#endif
