// The files a user names in the file requesters: testing an input and writing a saved text.
#pragma once

#include <string>
#include <string_view>

#include "sysio/io_status.h"

namespace sysio {

// Opens `path` for reading, creating an empty file when none exists, and
// closes it again. A failure when it cannot be opened that way or is not a
// regular file (a folder, a pipe, a device: EISDIR or EOPNOTSUPP).
IoStatus OpenOrCreateForReading(const std::string& path);

// Writes `bytes` as the whole content of the regular file at `path`,
// creating it or emptying an existing one; nothing is added. A failure when
// the file cannot be created or written, is not a regular file, or is
// write-protected (EACCES): a file whose mode has no write bit is refused
// even for the superuser, who would otherwise write through the protection.
IoStatus WriteUserFile(const std::string& path, std::string_view bytes);

}  // namespace sysio
