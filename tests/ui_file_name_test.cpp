// The extension rule of the PNG and text save requesters.
#include "ui/file_name.h"

#include <gtest/gtest.h>

namespace {

struct NameCase {
  const char* path;
  const char* extension;
  const char* expected;
};

TEST(AddMissingExtension, FollowsTheRuleForBothKinds) {
  const NameCase cases[] = {
      {"/d/picture", "png", "/d/picture.png"},
      {"/d/picture.png", "png", "/d/picture.png"},
      {"/d/picture.PNG", "png", "/d/picture.PNG"},
      {"/d/picture.jpg", "png", "/d/picture.jpg.png"},
      {"/d/old.copy/picture", "png", "/d/old.copy/picture.png"},
      {"c:\\old.copy\\picture", "png", "c:\\old.copy\\picture.png"},
      {"/d/notes", "txt", "/d/notes.txt"},
      {"/d/notes.TXT", "txt", "/d/notes.TXT"},
      {"/d/notes.txt", "txt", "/d/notes.txt"},
      {"/d/notes.text", "txt", "/d/notes.text.txt"},
      {"/d/old.copy/notes", "txt", "/d/old.copy/notes.txt"},
      {"/d/notes.", "txt", "/d/notes..txt"},
      {"/d/.txt", "txt", "/d/.txt"},
  };
  for (const NameCase& c : cases) {
    EXPECT_EQ(ui::AddMissingExtension(c.path, c.extension), c.expected) << c.path;
  }
}

}  // namespace
