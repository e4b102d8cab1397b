// The comparison a Delete makes of a row's file with a file that stays.

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "results/file_actions.h"
#include "tests/support/temp_dir.h"

namespace zandrel {
namespace {

using ByteComparisonTest = testing::TempDirTest;

// The comparison reads both files now, block by block, and a stop ends it
// without a verdict of sameness.
TEST_F(ByteComparisonTest, ReadsEveryByteAndEndsOnStop) {
  const std::string big(3 * 256 * 1024 + 5, 'z');
  const std::string a = writeFile("cmp/a", big);
  const std::string b = writeFile("cmp/b", big);
  std::string last = big;
  last.back() = 'y';
  std::string first = big;
  first.front() = 'y';
  const struct {
    const char* what;
    std::string other;
    bool same;
  } cases[] = {{"equal", big, true},
               {"last byte differs", last, false},
               {"first byte differs", first, false},
               {"one byte shorter", big.substr(1), false},
               {"empty", "", false}};
  const std::atomic<bool> running{false};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    writeFile("cmp/other", c.other);
    EXPECT_EQ(holdsSameBytes(a, path("cmp/other"), running), c.same);
  }
  writeFile("cmp/e1", "");
  writeFile("cmp/e2", "");
  EXPECT_TRUE(holdsSameBytes(path("cmp/e1"), path("cmp/e2"), running));
  const std::atomic<bool> stopped{true};
  EXPECT_FALSE(holdsSameBytes(a, b, stopped));
  makeFolder("cmp/folder");
  EXPECT_FALSE(holdsSameBytes(path("cmp/folder"), path("cmp/folder"), running));
}

}  // namespace
}  // namespace zandrel
