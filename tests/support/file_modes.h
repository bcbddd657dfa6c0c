// Write protection and symbolic links for test fixtures, on POSIX and on Windows alike.
#pragma once

#include "tests/support/windows_headers.h"

#include <filesystem>
#include <system_error>

namespace fake {

// Takes every write bit away: read-only for root too. On Windows this sets
// the read-only attribute (TempDir clears it again to remove the file).
inline void MakeReadOnly(const std::filesystem::path& path) {
  namespace fs = std::filesystem;
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}

// Makes `link` a symbolic link to `target`; false when the system cannot
// make one here. Windows makes them only with developer mode or a
// privilege, Wine not at all (it answers success and makes nothing), and
// mingw's std::filesystem never tries.
inline bool MakeSymlink(const std::filesystem::path& target, const std::filesystem::path& link) {
#ifdef _WIN32
  const DWORD unprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
  ::CreateSymbolicLinkW(link.c_str(), target.c_str(), unprivileged);
  std::error_code error;
  return std::filesystem::is_symlink(link, error);
#else
  std::error_code error;
  std::filesystem::create_symlink(target, link, error);
  return !error;
#endif
}

// Why a test of links is skipped where MakeSymlink fails.
inline constexpr const char* kNoSymlinks =
    "no symbolic links here (Wine makes none; Windows needs developer mode)";

}  // namespace fake
