// The whole-archive test of a download: libzip's consistency checks over archives made in the test and cut in every way.
#include "update/zip_archive.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/zip_fixture.h"

namespace {

TEST(IsWholeZipArchive, AcceptsOnlyAWholeArchiveWithEntries) {
  const std::string whole = fake::UpdateArchive();
  ASSERT_TRUE(update::IsWholeZipArchive(whole));
  const std::string middleDropped = whole.substr(0, 100) + whole.substr(200);
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case refused[] = {
      {"empty body", ""},
      {"cut at a third", whole.substr(0, whole.size() / 3)},
      {"cut in the central directory", whole.substr(0, whole.size() - 40)},
      {"last byte missing", whole.substr(0, whole.size() - 1)},
      {"bytes missing in the middle", middleDropped},
      {"archive without entries", fake::MakeZip({})},
      {"not an archive", std::string(4096, 'x')},
      {"an error page", "<html><body>502 Bad Gateway</body></html>"},
  };
  for (const Case& c : refused) EXPECT_FALSE(update::IsWholeZipArchive(c.bytes)) << c.name;
}

TEST(IsWholeZipArchive, AFailedReadIsNoArchive) {
  const std::string whole = fake::UpdateArchive();
  EXPECT_FALSE(update::IsWholeZipArchive(whole.size(), [](std::uint64_t, char*, std::size_t) {
    return std::optional<std::size_t>();
  }));
}

}  // namespace
