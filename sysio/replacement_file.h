// A file that takes the place of another only once it is whole: atomic replacement with no leftovers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "sysio/files.h"
#include "sysio/io_status.h"
#include "sysio/signal_cleanup.h"

namespace sysio {

// How the bytes are held until Commit.
enum class TemporaryNaming {
  // An unnamed file in the target's folder where the file system allows it
  // (nothing to leave behind, whatever ends the process), given a name only
  // for the instant of the rename; else a named one.
  UnnamedWherePossible,
  // Always a named file ".NAME.tmp-PID-N" beside the target.
  Named,
};

// A new file that takes the place of `path` only when committed: the bytes
// go to a temporary file in the target's folder (a link at `path` is
// followed), which Commit flushes to disk, gives the old file's owner and
// permission bits (a new file keeps 0666 less the umask) and renames over
// the target. Until then the temporary is private (mode 0600) when a
// target exists. Destroyed uncommitted, it removes the temporary file: the
// target stays as it was.
//
// A named temporary is registered with RegisteredTemporary while it has its
// name, so the CLI's signal handlers remove it. On Windows, which has no
// unnamed files, the named temporary is marked for deletion on close until
// the instant of its rename: the system removes it whatever ends the process. One that a killed process
// left (same target, regular, ours, a single link, untouched for
// kStaleTemporaryAgeSeconds, its process gone) is removed when the next
// replacement of the same target is made.
class ReplacementFile {
 public:
  explicit ReplacementFile(const std::string& path,
                           TemporaryNaming naming = TemporaryNaming::UnnamedWherePossible);
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // False when the temporary file could not be made, or the target exists
  // and is not a regular file (EISDIR for a folder, EOPNOTSUPP otherwise).
  bool IsOpen() const { return m_fd >= 0; }
  // Why it is not open, or the first write that failed; ok otherwise.
  IoStatus status() const { return m_status; }
  // Appends `bytes`; a failure sticks and makes Commit fail.
  IoStatus Write(std::string_view bytes, const FileWriter& writer = WriteAll);
  // The number of bytes written so far.
  std::uint64_t Size() const { return m_size; }
  // Reads up to `size` written bytes from `offset` into `buffer`; `got` is
  // how many (fewer only at the end).
  IoStatus ReadAt(std::uint64_t offset, char* buffer, std::size_t size, std::size_t& got) const;
  // Puts the file in place; the target is untouched on any failure.
  IoStatus Commit();
  // The name of the temporary file while it has one; empty when unnamed.
  const std::string& TemporaryPath() const { return m_tempPath; }

 private:
  IoStatus FinishContent();
  IoStatus NameUnnamed();
  IoStatus RenameIntoPlace();
  void Discard();

  std::string m_target;
  std::string m_tempPath;
  int m_fd = -1;
  IoStatus m_status;
  std::uint64_t m_size = 0;
  bool m_hadTarget = false;
  unsigned m_oldMode = 0;
  unsigned m_oldOwner = 0;
  unsigned m_oldGroup = 0;
  RegisteredTemporary m_registered;
};

inline constexpr int kStaleTemporaryAgeSeconds = 60;

// Replaces the file at `path` with `content` through a ReplacementFile: on
// any failure the old file is left as it was and nothing is left behind.
IoStatus ReplaceFileAtomically(const std::string& path, std::string_view content,
                               const FileWriter& writer = WriteAll);

}  // namespace sysio
