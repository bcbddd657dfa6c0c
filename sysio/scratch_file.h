// The ScratchTextFile: a private file in the shared temporary folder that holds clipboard text.
#pragma once

#include <string>
#include <string_view>

#include "sysio/io_status.h"

namespace sysio {

// One scratch file, open while the object lives, always made new (never an
// existing file, never through a link) and private to its user (mode 0600).
class ScratchTextFile {
 public:
  // Creates the file at `path`. When that name is taken (by anything: a
  // file of ours or not, a link, a folder) or cannot be made there, a new
  // private folder (mode 0700) in the same folder holds a file of the same
  // name instead. Not open when neither can be made; status() says why.
  static ScratchTextFile Create(const std::string& path);

  ScratchTextFile(ScratchTextFile&& other) noexcept;
  ScratchTextFile& operator=(ScratchTextFile&& other) noexcept;
  ScratchTextFile(const ScratchTextFile&) = delete;
  ScratchTextFile& operator=(const ScratchTextFile&) = delete;
  ~ScratchTextFile();

  bool IsOpen() const { return m_fd >= 0; }
  // Why the file could not be made; ok when it is open.
  IoStatus status() const { return m_status; }
  // Where the file is: the fixed name or one inside a private folder.
  const std::string& path() const { return m_path; }

  // Writes `bytes` at the start, nothing added.
  IoStatus Write(std::string_view bytes);
  // The file's whole content, read through the open file (not by name);
  // ok with empty bytes impossible to tell from an empty file.
  IoStatus ReadBack(std::string& bytes) const;
  // Removes the file (provided the name still leads to it) and its private
  // folder, and closes it.
  void Delete();

 private:
  ScratchTextFile() = default;
  void Close();

  std::string m_path;
  std::string m_privateFolder;  // empty when the fixed name is used
  int m_fd = -1;
  IoStatus m_status;
};

}  // namespace sysio
