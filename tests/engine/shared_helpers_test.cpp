#include "engine/shared_helpers.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace zandrel {
namespace {

std::string currentFolder() {
  std::vector<char> buffer(4096);
  if (getcwd(buffer.data(), buffer.size()) == nullptr) return {};
  return buffer.data();
}

TEST(FormatFileSize, PicksUnitAndRoundsThroughSinglePrecision) {
  const struct {
    int64_t bytes;
    const char* expected;
  } cases[] = {
      {0, "0 Byte"},
      {1, "1 Byte"},
      {1023, "1023 Byte"},
      {-1, "-1 Byte"},
      {-5000, "-5000 Byte"},  // negative counts never get a unit
      {1024, "1.00 KB"},
      {1536, "1.50 KB"},
      {1048575, "1024.00 KB"},  // still below the MB bound, rounds up to 1024
      {1048576, "1.00 MB"},
      {1073741823, "1024.00 MB"},
      {1073741824, "1.00 GB"},
      {3LL << 30, "3.00 GB"},       // beyond 32 bits
      {2LL << 40, "2048.00 GB"},    // no unit above GB
      {629150816, "600.01 MB"},     // single precision gives 600.0050..., exact would print 600.00
      {INT64_MAX, "8589934592.00 GB"},
  };
  for (const auto& c : cases) EXPECT_EQ(formatFileSize(c.bytes), c.expected) << c.bytes;
}

TEST(LeadingNumbers, ReadDigitsSignsAndBlanksAndSaturate) {
  const struct {
    const char* text;
    int64_t atStart;  // parseSignedInteger
    int64_t afterBlanks;  // parseLeadingInteger
  } cases[] = {
      {"", 0, 0},
      {"42 Byte", 42, 42},
      {" \t42", 0, 42},
      {"-7x", -7, -7},
      {"+8", 8, 8},
      {"- 5", 0, 0},
      {"1.50", 1, 1},
      {"9223372036854775807", INT64_MAX, INT64_MAX},
      {"99999999999999999999", INT64_MAX, INT64_MAX},
      {"-9223372036854775808", INT64_MIN, INT64_MIN},
      {"-99999999999999999999", INT64_MIN, INT64_MIN},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parseSignedInteger(c.text), c.atStart) << '"' << c.text << '"';
    EXPECT_EQ(parseLeadingInteger(c.text), c.afterBlanks) << '"' << c.text << '"';
  }

  // Every digit is taken, even past the ceiling; the value stops there.
  const LeadingDigits hex = readLeadingDigits("fFfFfFfFfFfFfFfFfg", 16, 1000);
  EXPECT_EQ(hex.length, 17u);
  EXPECT_EQ(hex.value, 1000u);
  EXPECT_EQ(readLeadingDigits("1012", 2).value, 5u);
  EXPECT_EQ(readLeadingDigits("x1", 10).length, 0u);
}

TEST(AddTrailingSeparator, AppendsOnlyWhenMissing) {
  const struct {
    const char* path;
    const char* expected;
  } cases[] = {
      {"", "/"},
      {"/", "/"},
      {"/home/user/", "/home/user/"},
      {"/home/user", "/home/user/"},
      {"C:\\data\\", "C:\\data\\/"},  // only "/" counts as the separator here
      {"dir//", "dir//"},             // nothing is merged
  };
  for (const auto& c : cases) EXPECT_EQ(addTrailingSeparator(c.path), c.expected) << '"' << c.path << '"';
}

// Runs inside the temporary folder and returns to the previous folder afterwards,
// so no other test sees a changed current folder.
class GetFullPathTest : public testing::TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    previous_ = currentFolder();
    ASSERT_FALSE(previous_.empty());
    ASSERT_EQ(chdir(path().c_str()), 0);
    base_ = currentFolder();  // as the system spells it, links in /tmp resolved
    ASSERT_FALSE(base_.empty());
  }
  void TearDown() override {
    EXPECT_EQ(chdir(previous_.c_str()), 0);
    TempDirTest::TearDown();
  }

  std::string base_;

 private:
  std::string previous_;
};

TEST_F(GetFullPathTest, ResolvesAgainstCurrentFolderAndFoldsDots) {
  const std::string parent = std::filesystem::path(base_).parent_path().string();
  const struct {
    std::string path;
    std::string expected;
  } cases[] = {
      {"a.txt", base_ + "/a.txt"},
      {"missing/file", base_ + "/missing/file"},  // nothing has to exist
      {".", base_},
      {"./", base_ + "/"},
      {"..", parent},
      {"../", parent + "/"},
      {"a/./b/../c", base_ + "/a/c"},
      {"a/b/..", base_ + "/a"},
      {"sub/", base_ + "/sub/"},
      {"sub//x", base_ + "/sub/x"},
      {"/", "/"},
      {"/..", "/"},
      {"/../../x", "/x"},
      {"//x", "/x"},
      {"/a//b///c", "/a/b/c"},
      {"/a/b/", "/a/b/"},
      {"/a/b/.", "/a/b"},
      {"/a/b/../", "/a/"},
  };
  for (const auto& c : cases) EXPECT_EQ(getFullPath(c.path), c.expected) << '"' << c.path << '"';
}

TEST_F(GetFullPathTest, FoldsDotDotWithoutFollowingLinks) {
  const std::string target = makeFolder("deep/inside");
  std::filesystem::create_directory_symlink(target, path("link"));
  // The disk would say deep/, the text says the current folder.
  EXPECT_EQ(getFullPath("link/.."), base_);
  EXPECT_EQ(getFullPath("link/x"), base_ + "/link/x");
}

class ReadPathSizeTest : public testing::TempDirTest {};

TEST_F(ReadPathSizeTest, ReportsBytesMissingAndFolder) {
  const std::string file = writeFile("data.bin", std::string(1234, 'x'));
  const std::string empty = writeFile("empty", "");
  const std::string folder = makeFolder("folder");
  std::filesystem::create_symlink(file, path("file-link"));
  std::filesystem::create_directory_symlink(folder, path("folder-link"));
  std::filesystem::create_symlink(path("gone"), path("dangling"));

  EXPECT_EQ(readPathSize(file), 1234);
  EXPECT_EQ(readPathSize(empty), 0);
  EXPECT_EQ(readPathSize(path("missing")), kMissingPathSize);
  EXPECT_EQ(readPathSize(folder), kFolderPathSize);
  EXPECT_EQ(readPathSize(folder + "/"), kFolderPathSize);
  EXPECT_EQ(readPathSize(path("file-link")), 1234);  // links are followed
  EXPECT_EQ(readPathSize(path("folder-link")), kFolderPathSize);
  EXPECT_EQ(readPathSize(path("dangling")), kMissingPathSize);
}

TEST_F(ReadPathSizeTest, KeepsSizesBeyond32Bits) {
  const std::string file = writeFile("big", "");
  std::filesystem::resize_file(file, 3LL << 30);  // sparse, takes no space
  EXPECT_EQ(readPathSize(file), 3LL << 30);
}

}  // namespace
}  // namespace zandrel
