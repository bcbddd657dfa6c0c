// The ScratchTextFile: a private file in the shared temporary folder that holds clipboard text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sysio {

// One scratch file, open while the object lives. It is created owner-only
// (mode 0600), never through a symbolic link, and only as a regular file of
// this user with a single link; an existing file that passes these tests is
// emptied and reused.
class ScratchTextFile {
 public:
  // Creates (or empties) the file at `path`. Nothing when the path is a
  // symbolic link, a folder or another non-regular file, belongs to another
  // user, has other links, or cannot be created.
  static std::optional<ScratchTextFile> Create(const std::string& path);

  ScratchTextFile(ScratchTextFile&& other) noexcept;
  ScratchTextFile& operator=(ScratchTextFile&& other) noexcept;
  ScratchTextFile(const ScratchTextFile&) = delete;
  ScratchTextFile& operator=(const ScratchTextFile&) = delete;
  ~ScratchTextFile();

  // Writes `bytes` at the start, nothing added. False when a write fails.
  bool Write(std::string_view bytes);
  // The file's whole content, read through the open file (not by name).
  std::optional<std::string> ReadBack() const;
  // Removes the file, provided the name still points at this file; closes it.
  void Delete();

 private:
  ScratchTextFile(std::string path, int fd) : m_path(std::move(path)), m_fd(fd) {}
  void Close();

  std::string m_path;
  int m_fd = -1;
};

}  // namespace sysio
