// The files a user names in the file requesters: testing an input and writing a saved text.
#pragma once

#include <string>
#include <string_view>

namespace sysio {

// Opens `path` for reading, creating an empty file when none exists, and
// closes it again. False when it cannot be opened that way or is not a
// regular file (a folder, a pipe, a device).
bool OpenOrCreateForReading(const std::string& path);

// Writes `bytes` as the whole content of the regular file at `path`,
// creating it or emptying an existing one; nothing is added. False when the
// file cannot be created or written, is not a regular file, or is
// write-protected: a file whose mode has no write bit is refused even for
// the superuser, who would otherwise write through the protection.
bool WriteUserFile(const std::string& path, std::string_view bytes);

}  // namespace sysio
