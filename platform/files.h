// Whole-file reading, atomic rewriting and the process's folders: the one place for these system calls.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

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

}  // namespace platform
