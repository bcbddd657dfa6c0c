// Folders and names in a path, split and joined at the system's separators: "/" on POSIX, "/" and "\" on Windows.
#pragma once

#include <string>

namespace sysio {

// The separator the program puts between a folder and a name.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Whether `c` separates folders: '/' everywhere, '\' too on Windows (on
// POSIX a backslash is an ordinary character of a name).
bool IsPathSeparator(char c);

// The folder part of `path`, without the separator after it: "." when
// there is none; a root keeps its separator ("/", and on Windows "C:\" or
// "C:" for a drive-relative name).
std::string DirectoryOf(const std::string& path);

// The name after the last separator (the whole path when there is none).
std::string BaseNameOf(const std::string& path);

// `folder` ending with a separator: kPathSeparator is added unless one is
// there already. An empty folder stays empty, so a path built on it stays
// relative.
std::string WithTrailingSeparator(std::string folder);

// `name` inside `folder` (WithTrailingSeparator(folder) + name).
std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace sysio
