// The file-system calls that differ between POSIX and Windows, one small function each: sysio's own, for no other layer.
#pragma once

// Each function has its POSIX form in os_calls_posix.cpp and its Windows
// form in os_calls_windows.cpp; the rest of sysio is written once over them.

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

// Every function reports a failure the POSIX way (-1, false or nothing) and
// leaves the cause in errno; on Windows the system's error is turned into
// the nearest errno value (ERROR_FILE_NOT_FOUND -> ENOENT, a sharing
// violation -> EACCES, a full disk -> ENOSPC, ...). Paths are UTF-8; on
// Windows they reach the system through its wide ("W") calls, so any name
// works, not only those of the ANSI code page. Descriptors are the C
// runtime's on both systems and always binary.
namespace sysio::os {

// How Open opens: OR-ed together.
enum OpenFlags : unsigned {
  kRead = 1u << 0,
  kWrite = 1u << 1,
  kReadWrite = kRead | kWrite,
  kCreate = 1u << 2,     // make the file when it is missing
  kExclusive = 1u << 3,  // only a new file: never an existing one, never through a link
  kTruncate = 1u << 4,   // empty an existing file
  kNoWait = 1u << 5,     // the open of a FIFO does not wait for its other end (POSIX)
  kNoLink = 1u << 6,     // refuse a symbolic link at the path itself (ELOOP)
};

// Opens `path` and returns a descriptor, -1 on failure. `mode` gives a
// new file's permission bits on POSIX (less the umask); a Windows file
// takes its folder's inherited access rights instead. The descriptor is
// not inherited by child processes; on Windows the file stays open to
// others for reading, writing, renaming and deleting (FILE_SHARE_DELETE),
// as a POSIX file is. A folder gives EISDIR unless opened for reading.
int Open(const std::string& path, unsigned flags, unsigned mode = 0666);

// Closes a descriptor from Open; false when the close reports an error.
bool Close(int fd);

// Closes a descriptor when it goes out of scope, keeping errno as it was.
class FdGuard {
 public:
  explicit FdGuard(int fd = -1) : m_fd(fd) {}
  ~FdGuard() { Reset(); }
  FdGuard(const FdGuard&) = delete;
  FdGuard& operator=(const FdGuard&) = delete;
  int get() const { return m_fd; }
  int Release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
  }
  void Reset(int fd = -1) {
    if (m_fd >= 0) {
      const int saved = errno;
      Close(m_fd);
      errno = saved;
    }
    m_fd = fd;
  }

 private:
  int m_fd;
};

// A new file for bytes that replace another, open for reading and writing
// (Open with kExclusive). On Windows it is marked for deletion on close at
// once: whatever ends the process, even a kill, the system removes it,
// until KeepWhenClosed takes the mark away. POSIX removes nothing by
// itself: a caller registers the name for its signal handlers instead.
int CreateTemporary(const std::string& path, unsigned mode);

// Keeps a file from CreateTemporary when it is closed, so it can be
// renamed into place (Windows: the deletion mark is taken away).
bool KeepWhenClosed(int fd);

// An unnamed file in `folder` (Linux's O_TMPFILE), to be given a name by
// NameUnnamed; EOPNOTSUPP where the system or file system has none
// (always on Windows, whose CreateTemporary has the same effect).
int OpenUnnamed(const std::string& folder, unsigned mode);

// Gives the unnamed file `fd` the name `path`; EEXIST when it is taken.
bool NameUnnamed(int fd, const std::string& path);

// The names in `folder` ("." and ".." left out); empty when it cannot be read.
std::vector<std::string> FolderEntries(const std::string& folder);

// Makes reads of a descriptor opened with kNoWait wait again (POSIX; the
// flag means nothing on Windows).
bool MakeBlocking(int fd);

// A C stream over `fd` (which it then owns), opened in binary mode.
std::FILE* StreamOf(int fd, const char* mode);

// Writes at the file position and moves it on; the number of bytes
// written, -1 on failure.
long WriteSome(int fd, const char* bytes, std::size_t size);

// Reads at the file position and moves it on: the number of bytes read, 0
// at the end, -1 on failure (EAGAIN: a pipe opened with kNoWait is empty).
long ReadSome(int fd, char* buffer, std::size_t size);

// The descriptor under a C stream.
int DescriptorOf(std::FILE* stream);

// Reads or writes at `offset` without moving the file position; the
// number of bytes done (0 at the end for a read), -1 on failure.
long ReadAt(int fd, char* buffer, std::size_t size, std::uint64_t offset);
long WriteAt(int fd, const char* bytes, std::size_t size, std::uint64_t offset);

// Cuts the open file to `size` bytes.
bool Truncate(int fd, std::uint64_t size);

// Flushes the open file's bytes to the disk.
bool SyncToDisk(int fd);

// Best effort: makes a rename in `folder` durable (fsync of the folder on
// POSIX; nothing to do on Windows, where ReplaceAtomically writes through).
void SyncFolder(const std::string& folder);

// Puts the file `from` in the place of `to`, replacing an existing file in
// one step: rename() on POSIX; MoveFileExW with MOVEFILE_REPLACE_EXISTING
// and MOVEFILE_WRITE_THROUGH on Windows, where rename() never replaces.
bool ReplaceAtomically(const std::string& from, const std::string& to);

// Removes the file's name. On Windows a file we hold open (FILE_SHARE_DELETE)
// can be removed too: its name goes when the last handle is closed.
bool RemoveFile(const std::string& path);

// Makes a new folder `parent`/`prefix`XXXXXX with a name nobody has, open
// to its user only (mode 0700 on POSIX; on Windows the access rights of
// `parent`, the user's own temporary folder). The empty text on failure.
std::string MakeUniqueFolder(const std::string& parent, const std::string& prefix);

// Removes an empty folder.
bool RemoveFolder(const std::string& path);

// The same file: device and inode on POSIX; volume serial number and file
// index on Windows, where stat() gives inode 0 for every file. A Windows
// console, pipe or device has none: it equals no other identity.
struct FileIdentity {
  bool known = false;
  std::uint64_t device = 0;
  std::uint64_t index = 0;
  friend bool operator==(const FileIdentity& a, const FileIdentity& b) {
    return a.known && b.known && a.device == b.device && a.index == b.index;
  }
};

enum class Kind { Regular, Folder, Link, Other /* device, pipe, socket */ };

// What the system tells about a file.
struct FileInfo {
  Kind kind = Kind::Other;
  std::uint64_t size = 0;
  // Permission bits. Windows has one bit to show: 0444 for a file with the
  // read-only attribute, else 0666.
  unsigned mode = 0;
  std::uint64_t links = 0;  // names of the file (hard links)
  // Whether the file belongs to the process's user. On Windows always true:
  // access there is granted by the file's access list, not by its owner.
  bool ownedByUs = false;
  unsigned owner = 0;  // user and group numbers on POSIX; 0 on Windows
  unsigned group = 0;
  FileIdentity identity;
  std::int64_t modified = 0;  // last change of the content, seconds since 1970
};

// About the open file.
std::optional<FileInfo> InfoOf(int fd);
// About the file `path` leads to, a link followed.
std::optional<FileInfo> InfoOfPath(const std::string& path);
// About `path` itself: a symbolic link (a Windows symbolic link or
// junction) is Kind::Link.
std::optional<FileInfo> InfoOfName(const std::string& path);

// Whether the process may write the existing file at `path` (access(W_OK);
// on Windows: no read-only attribute and an open for writing is allowed).
bool MayWrite(const std::string& path);

// The file a path names, with a link followed; the path itself when it is
// no link or the link leads nowhere.
std::string ResolveLink(const std::string& path);

// Gives the open file the permission bits `mode` (Windows: the read-only
// attribute when `mode` has no write bit, else none).
bool SetMode(int fd, unsigned mode);

// Gives the open file an owner and group; only a privileged process can.
// Windows keeps the owner the file was created with: nothing to do.
bool SetOwner(int fd, unsigned owner, unsigned group);

// The process's number.
long ProcessId();

// Whether no process with number `pid` exists any more.
bool ProcessIsGone(long pid);

}  // namespace sysio::os
