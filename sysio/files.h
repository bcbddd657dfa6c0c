// Whole-file reading, atomic rewriting and the process's folders: the one place for these system calls.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace sysio {

// How a file may be held, tested the way the settings file is opened:
// for reading and writing, else for reading only, else not at all.
enum class FileAccess { ReadWrite, ReadOnly, Unavailable };

// Whether `path` is a regular file (following links).
bool IsRegularFile(const std::string& path);

// The access the process has to the regular file at `path`; Unavailable
// when it is missing, not a regular file or cannot be opened. A file whose
// mode has no write bit counts as ReadOnly even for root (see the .cpp).
FileAccess ProbeFileAccess(const std::string& path);

// Whether `path` names an existing file that must not be changed: it has
// no write bit at all, or the process may not write it.
bool IsWriteProtected(const std::string& path);

// The whole content of the regular file at `path`, or nothing when it
// cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Writes all of `content` to the open descriptor; false on any failure.
// Replaceable in tests to provoke a failed write.
using FileWriter = std::function<bool(int fd, std::string_view content)>;
bool WriteAll(int fd, std::string_view content);

// A new file that takes the place of `path` only when committed: the bytes
// go to a temporary file beside the target (a link at `path` is followed),
// which Commit flushes to disk, gives the old file's permission bits (or
// those of a plain new file) and renames over the target. Destroyed
// uncommitted, it removes the temporary file: the target stays as it was.
class ReplacementFile {
 public:
  explicit ReplacementFile(const std::string& path);
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // False when the temporary file could not be made, or the target exists
  // and is not a regular file.
  bool IsOpen() const { return m_fd >= 0; }
  // Appends `bytes`; false when the write fails.
  bool Write(std::string_view bytes, const FileWriter& writer = WriteAll);
  // Puts the file in place; false (target untouched) on any failure.
  bool Commit();

 private:
  std::string m_target;
  std::string m_tempPath;
  int m_fd = -1;
  bool m_hadTarget = false;
  unsigned m_oldMode = 0;
  unsigned m_oldOwner = 0;
  unsigned m_oldGroup = 0;
};

// Opens `path` for reading raw bytes like fopen(path, "rb"), except that
// opening a pipe never waits for its writer (a pipe without one reads as
// empty) and a folder is refused. nullptr on failure (errno tells why); the
// caller closes it.
std::FILE* OpenForReading(const std::string& path);

// The size of the open file when it is a regular file; nothing for a pipe,
// a device or when it cannot be told.
std::optional<std::uint64_t> RegularFileSize(std::FILE* file);

// Replaces the file at `path` with `content`: writes a temporary file in
// the same directory, flushes it to disk and renames it over the old one,
// keeping the old file's permission bits. On any failure the old file is
// left as it was, the temporary file is removed and false is returned.
// A link at `path` is followed: the file it points to is replaced.
bool ReplaceFileAtomically(const std::string& path, std::string_view content,
                           const FileWriter& writer = WriteAll);

// The process's current directory, or the empty text when it cannot be read.
std::string CurrentDirectory();

// The system's temporary folder: TMPDIR when set and not empty, else "/tmp".
std::string TemporaryDirectory();

}  // namespace sysio
