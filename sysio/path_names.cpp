// Splitting and joining paths at the separators of the system the program is built for.
#include "sysio/path_names.h"

namespace sysio {
namespace {

// Where the last separator is; npos when there is none.
std::size_t LastSeparator(const std::string& path) {
#ifdef _WIN32
  return path.find_last_of("/\\");
#else
  return path.find_last_of('/');
#endif
}

// The length of a drive prefix "C:" at the start of `path` (Windows only).
std::size_t DrivePrefixLength([[maybe_unused]] const std::string& path) {
#ifdef _WIN32
  if (path.size() >= 2 && path[1] == ':') return 2;
#endif
  return 0;
}

}  // namespace

bool IsPathSeparator(char c) {
#ifdef _WIN32
  return c == '/' || c == '\\';
#else
  return c == '/';
#endif
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t drive = DrivePrefixLength(path);
  const std::size_t separator = LastSeparator(path);
  if (separator == std::string::npos) return drive > 0 ? path.substr(0, drive) : ".";
  if (separator == drive) return path.substr(0, drive + 1);  // "/", "\" or "C:\"
  return path.substr(0, separator);
}

std::string BaseNameOf(const std::string& path) {
  const std::size_t separator = LastSeparator(path);
  if (separator == std::string::npos) return path.substr(DrivePrefixLength(path));
  return path.substr(separator + 1);
}

std::string WithTrailingSeparator(std::string folder) {
  if (!folder.empty() && !IsPathSeparator(folder.back())) folder.push_back(kPathSeparator);
  return folder;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  return WithTrailingSeparator(folder) + name;
}

}  // namespace sysio
