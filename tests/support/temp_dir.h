// A fresh temporary directory for one test, removed with everything in it, and whole-file reads and writes.
#pragma once

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace fake {

class TempDir {
 public:
  // Makes the directory under the system's temporary folder; a test that
  // cannot have one stops at once rather than write somewhere else.
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "letterloom-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      std::perror("mkdtemp");
      std::abort();
    }
    m_root = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_root, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The directory, ending with "/".
  std::string Path() const { return m_root.string() + "/"; }
  // The directory without the trailing separator.
  const std::filesystem::path& Root() const { return m_root; }
  // The path of `name` inside the directory.
  std::string File(const std::string& name) const { return Path() + name; }

  // The names of the entries directly inside it.
  std::set<std::string> Entries() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_root)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

 private:
  std::filesystem::path m_root;
};

// Every byte of the file; empty when it cannot be read.
inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Replaces the file's content with `bytes`, creating it when needed.
inline void WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace fake
