// The file a command writes its result to, handled by what already stands at the path, as cp and tee do.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "sysio/io_status.h"
#include "sysio/replacement_file.h"

namespace sysio {

// Where the bytes go, by what stands at the path (a symbolic link is
// followed; a dangling one is refused, ENOENT):
//   nothing, or a regular file        replaced atomically (ReplacementFile):
//                                     the old mode and owner kept, a new
//                                     file 0666 less the umask
//   a regular file with more names    written in place, so that every name
//   (hard links)                      sees the new bytes
//   the file standard output has open written into standard output
//   a device, pipe or socket          written into directly, never replaced
//   a write-protected regular file    refused (EACCES), left as it was
//   a folder                          refused (EISDIR)
// Nothing is opened or created before the kind is known.
class OutputFile {
 public:
  explicit OutputFile(const std::string& path);
  // The process's standard output, written into directly.
  static OutputFile StandardOutput();
  ~OutputFile();
  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&&) = delete;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Why the output cannot be written; ok when it is ready.
  IoStatus status() const { return m_status; }
  // Appends `bytes`; a failure sticks.
  IoStatus Write(std::string_view bytes);
  // Ends the output: a replacement is put in place, a descriptor of our
  // own closed. The first failure of the whole output when there was one.
  IoStatus Commit();

 private:
  OutputFile() = default;
  void OpenDirect(const std::string& path, bool inPlace);

  std::unique_ptr<ReplacementFile> m_replacement;
  int m_fd = -1;
  bool m_ownsFd = false;
  IoStatus m_status;
};

}  // namespace sysio
