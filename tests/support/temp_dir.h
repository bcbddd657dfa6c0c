// A fresh temporary directory for one test, removed with everything in it, and whole-file reads and writes.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>

namespace fake {

// Removes `path` with everything in it, write-protected files too (Windows
// refuses to delete a file with the read-only attribute); no error when
// nothing is there.
inline void RemoveAll(const std::filesystem::path& path) {
  std::error_code ignored;
#ifdef _WIN32
  std::filesystem::permissions(path, std::filesystem::perms::owner_write, std::filesystem::perm_options::add,
                               ignored);
  for (auto it = std::filesystem::recursive_directory_iterator(path, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add, ignored);
  }
#endif
  std::filesystem::remove_all(path, ignored);
}

class TempDir {
 public:
  // Makes the directory under the system's temporary folder; a test that
  // cannot have one stops at once rather than write somewhere else.
  TempDir() {
    constexpr int kAttempts = 16;
    std::random_device random;
    const std::filesystem::path parent = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < kAttempts && m_root.empty(); ++attempt) {
      const std::filesystem::path candidate = parent / ("letterloom-" + std::to_string(random()));
      std::error_code error;
      // create_directory answers false for a name that is taken: never share one.
      if (std::filesystem::create_directory(candidate, error)) m_root = candidate;
    }
    if (m_root.empty()) {
      std::fprintf(stderr, "no temporary directory under %s\n", parent.string().c_str());
      std::abort();
    }
  }
  ~TempDir() { RemoveAll(m_root); }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The directory, ending with the system's separator.
  std::string Path() const { return m_root.string() + kSeparator; }
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
  static constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);
  std::filesystem::path m_root;
};

// Every byte of the file; empty when it cannot be read. Names are taken in
// the system's narrow encoding (the ANSI code page on Windows): a test of
// other names reaches its files through std::filesystem::u8path.
inline std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Replaces the file's content with `bytes`, creating it when needed.
inline void WriteWholeFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace fake
