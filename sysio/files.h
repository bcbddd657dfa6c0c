// Examining files, whole-file reading, opening a source and the process's folders: the one place for these system calls.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "sysio/io_status.h"

namespace sysio {

// How a file may be held, tested the way the settings file is opened:
// for reading and writing, else for reading only, else not at all.
enum class FileAccess { ReadWrite, ReadOnly, Unavailable };

// Whether `path` is a regular file (following links).
bool IsRegularFile(const std::string& path);

// The access the process has to the regular file at `path`; Unavailable
// when it is missing, not a regular file or cannot be opened. A file whose
// mode has no write bit counts as ReadOnly even for root (see the .cpp); on
// Windows that is a file with the read-only attribute.
FileAccess ProbeFileAccess(const std::string& path);

// Whether `path` names an existing file that must not be changed: it has
// no write bit at all, or the process may not write it.
bool IsWriteProtected(const std::string& path);

// What kind of file a path leads to, a symbolic link followed.
enum class FileKind { Missing, Regular, Folder, Other /* device, pipe, socket */ };

// What stands at a path, as the writers decide by it.
struct FileFacts {
  FileKind kind = FileKind::Missing;  // of the file reached; Missing for a dangling link
  bool isLink = false;                // the path itself is a symbolic link
  bool ownedByUs = false;             // the file reached belongs to the process's user (Windows: always)
  bool writeProtected = false;        // as IsWriteProtected
  std::uint64_t linkCount = 0;        // names the file reached has (hard links)
  IoStatus status;                    // why the path cannot be examined (never for Missing)
};

// Examines `path` without opening it.
FileFacts InspectFile(const std::string& path);

// A file's bytes, or why there are none.
struct FileContent {
  IoStatus status;
  std::string bytes;  // empty unless status is ok
};

// The content of the file at `path` when it holds at most `maxBytes`:
// EFBIG, with no more than maxBytes + 1 bytes read, when it holds more.
// A regular file's size is checked before anything is read. A pipe or
// device is read without waiting (a pipe with nothing in it reads as
// empty; Windows has no pipes in its folders); a folder is EISDIR.
FileContent ReadWholeFile(const std::string& path, std::size_t maxBytes);

// Writes all of `content` to the open descriptor; false on any failure,
// with errno saying why. Replaceable in tests to provoke a failed write.
using FileWriter = std::function<bool(int fd, std::string_view content)>;
bool WriteAll(int fd, std::string_view content);

// Opens `path` for reading raw bytes like fopen(path, "rb"), except that
// opening a pipe never waits for its writer (a pipe without one reads as
// empty) and a folder is refused. nullptr on failure (errno tells why); the
// caller closes it.
std::FILE* OpenForReading(const std::string& path);
// The same, with the cause of a failure in `status`.
std::FILE* OpenForReading(const std::string& path, IoStatus& status);

// The size of the open file when it is a regular file; nothing for a pipe,
// a device or when it cannot be told.
std::optional<std::uint64_t> RegularFileSize(std::FILE* file);

// The process's current directory, or the empty text when it cannot be read.
std::string CurrentDirectory();

// The system's temporary folder: TMPDIR when set and not empty, else "/tmp";
// on Windows the user's own, from GetTempPathW (TMP, TEMP, the profile).
std::string TemporaryDirectory();

}  // namespace sysio
