// Splitting and joining paths at the separators of the system the tests run on.
#include "sysio/path_names.h"

#include <gtest/gtest.h>

#include <string>

namespace sysio {
namespace {

struct SplitCase {
  const char* path;
  const char* folder;
  const char* name;
};

TEST(PathNames, SplitAtTheLastSeparator) {
  const SplitCase cases[] = {
      {"a.txt", ".", "a.txt"},
      {"/a.txt", "/", "a.txt"},
      {"/home/ann/a.txt", "/home/ann", "a.txt"},
      {"dir/", "dir", ""},
#ifdef _WIN32
      {"C:\\Users\\ann\\a.txt", "C:\\Users\\ann", "a.txt"},
      {"C:\\a.txt", "C:\\", "a.txt"},
      {"C:/data\\mixed/a.txt", "C:/data\\mixed", "a.txt"},
      {"C:a.txt", "C:", "a.txt"},
      {"\\\\server\\share\\a.txt", "\\\\server\\share", "a.txt"},
#else
      {"/odd\\name", "/", "odd\\name"},  // a backslash is part of a POSIX name
#endif
  };
  for (const SplitCase& c : cases) {
    EXPECT_EQ(DirectoryOf(c.path), c.folder) << c.path;
    EXPECT_EQ(BaseNameOf(c.path), c.name) << c.path;
  }
}

TEST(PathNames, JoinAddsOneSeparator) {
  const std::string separator(1, kPathSeparator);
  EXPECT_EQ(JoinPath("dir", "a"), "dir" + separator + "a");
  EXPECT_EQ(JoinPath("dir/", "a"), "dir/a");
  EXPECT_EQ(WithTrailingSeparator(""), "");
  EXPECT_EQ(WithTrailingSeparator("/"), "/");
#ifdef _WIN32
  EXPECT_EQ(JoinPath("C:\\Temp\\", "a"), "C:\\Temp\\a");
  EXPECT_EQ(JoinPath("C:\\Temp", "a"), "C:\\Temp\\a");
  EXPECT_TRUE(IsPathSeparator('\\'));
#else
  EXPECT_EQ(JoinPath("odd\\", "a"), "odd\\/a");
  EXPECT_FALSE(IsPathSeparator('\\'));
#endif
}

}  // namespace
}  // namespace sysio
