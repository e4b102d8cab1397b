#include "results/file_operations.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/support/temp_dir.h"

namespace zandrel {
namespace {

namespace fs = std::filesystem;

using testing::namesIn;
using testing::readAll;

std::string bigContent() {
  std::string content(3 * kCopyBlockSize + 12345, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7919 % 251);
  return content;
}

class FileOperationsTest : public testing::TempDirTest {
 protected:
  std::atomic<bool> noStop{false};
  std::atomic<bool> stopNow{true};
};

TEST_F(FileOperationsTest, CopyReplacesTargetWithWholeContent) {
  const std::string content = bigContent();
  const std::string source = writeFile("from/data.bin", content);
  const std::string target = writeFile("to/data.bin", "old");
  ASSERT_TRUE(copyFile(source, target, noStop));
  EXPECT_EQ(readAll(target), content);
  EXPECT_EQ(readAll(source), content);
  EXPECT_EQ(namesIn(path("to")), std::vector<std::string>{"data.bin"});
}

TEST_F(FileOperationsTest, CopyOntoItselfChangesNothing) {
  const std::string source = writeFile("folder/same.txt", "keep me");
  fs::create_directory_symlink(path("folder"), path("alias"));
  for (const std::string& target : {source, path("alias/same.txt")}) {
    EXPECT_TRUE(copyFile(source, target, noStop)) << target;
    EXPECT_EQ(readAll(source), "keep me") << target;
    EXPECT_TRUE(moveFile(source, target, noStop)) << target;
    EXPECT_EQ(readAll(source), "keep me") << target;
  }
  EXPECT_EQ(namesIn(path("folder")), std::vector<std::string>{"same.txt"});
}

TEST_F(FileOperationsTest, FailedOrStoppedCopyLeavesNoTrace) {
  const std::string source = writeFile("from/data.bin", bigContent());
  makeFolder("to");
  EXPECT_FALSE(copyFile(path("from/missing"), path("to/missing"), noStop));
  EXPECT_FALSE(copyFile(source, path("to/data.bin"), stopNow));
  EXPECT_FALSE(copyFile(source, path("no such folder/data.bin"), noStop));
  EXPECT_TRUE(namesIn(path("to")).empty());
  // An existing target survives a stopped copy untouched.
  const std::string target = writeFile("to/data.bin", "earlier");
  EXPECT_FALSE(copyFile(source, target, stopNow));
  EXPECT_EQ(readAll(target), "earlier");
  EXPECT_EQ(namesIn(path("to")), std::vector<std::string>{"data.bin"});
}

TEST_F(FileOperationsTest, OddNamesAreHandledByTheirBytes) {
  for (const std::string name : {"bad\xFF\xFEname.txt", "line\nfeed.txt", "star*.txt"}) {
    const std::string source = writeFile("from/" + name, "content of " + name);
    writeFile("from/decoy.txt", "decoy");
    const std::string copied = targetPathIn(path("copies"), source);
    makeFolder("copies");
    ASSERT_TRUE(copyFile(source, copied, noStop)) << name;
    EXPECT_EQ(readAll(copied), "content of " + name);
    const std::string moved = targetPathIn(path("moved"), source);
    makeFolder("moved");
    ASSERT_TRUE(moveFile(source, moved, noStop)) << name;
    EXPECT_FALSE(fs::exists(source));
    EXPECT_EQ(readAll(moved), "content of " + name);
    ASSERT_TRUE(deleteFile(moved)) << name;
    EXPECT_FALSE(fs::exists(fs::path(moved)));
    EXPECT_EQ(readAll(path("from/decoy.txt")), "decoy");
  }
}

TEST_F(FileOperationsTest, MoveRenamesOverAnExistingFile) {
  const std::string source = writeFile("from/a.txt", "new");
  const std::string target = writeFile("to/a.txt", "old");
  ASSERT_TRUE(moveFile(source, target, noStop));
  EXPECT_FALSE(fs::exists(source));
  EXPECT_EQ(readAll(target), "new");
}

TEST_F(FileOperationsTest, MoveAcrossFileSystemsCopiesThenDeletes) {
  testing::ShmFolder shm;
  if (!shm.onAnotherFileSystemThan(path())) GTEST_SKIP() << "no second file system";
  const std::string content = bigContent();
  const std::string source = writeFile("from/big.bin", content);
  const std::string target = targetPathIn(shm.path(), source);
  ASSERT_TRUE(moveFile(source, target, noStop));
  EXPECT_FALSE(fs::exists(source));
  EXPECT_EQ(readAll(target), content);
  EXPECT_EQ(namesIn(shm.path()), std::vector<std::string>{"big.bin"});

  // Stopped half-way: the source stays, nothing appears on the other side.
  const std::string back = writeFile("from/again.bin", content);
  EXPECT_FALSE(moveFile(back, targetPathIn(shm.path(), back), stopNow));
  EXPECT_EQ(readAll(back), content);
  EXPECT_EQ(namesIn(shm.path()), std::vector<std::string>{"big.bin"});
}

TEST_F(FileOperationsTest, MoveWhoseSourceCannotGoKeepsTheEarlierTarget) {
  testing::ShmFolder shm;
  if (!shm.onAnotherFileSystemThan(path())) GTEST_SKIP() << "no second file system";
  const std::string source = writeFile("locked/file.txt", "source");
  // An immutable folder refuses to lose its entries, even to root.
  if (std::system(("chattr +i '" + path("locked") + "' 2>/dev/null").c_str()) != 0) {
    GTEST_SKIP() << "chattr not available here";
  }
  const std::string target = shm.path() + "/file.txt";
  std::ofstream(target) << "earlier";
  const bool moved = moveFile(source, target, noStop);
  std::system(("chattr -i '" + path("locked") + "'").c_str());
  EXPECT_FALSE(moved);
  EXPECT_EQ(readAll(source), "source");
  EXPECT_EQ(readAll(target), "earlier");
  EXPECT_EQ(namesIn(shm.path()), std::vector<std::string>{"file.txt"});
}

TEST_F(FileOperationsTest, MoveOntoAFolderOfTheSameNameFails) {
  const std::string source = writeFile("from/name", "data");
  makeFolder("to/name/inside");
  EXPECT_FALSE(moveFile(source, path("to/name"), noStop));
  EXPECT_EQ(readAll(source), "data");
}

TEST_F(FileOperationsTest, DeleteRefusesFoldersAndMissingFiles) {
  makeFolder("folder");
  EXPECT_FALSE(deleteFile(path("folder")));
  EXPECT_FALSE(deleteFile(path("missing")));
  EXPECT_TRUE(fs::is_directory(path("folder")));
}

TEST(TargetPathIn, TakesTheFilePartOfTheSource) {
  EXPECT_EQ(targetPathIn("/to", "/from/a.txt"), "/to/a.txt");
  EXPECT_EQ(targetPathIn("/to/", "/from/sub/b"), "/to/b");
  EXPECT_EQ(targetPathIn("/to/", "c"), "/to/c");
}

}  // namespace
}  // namespace zandrel
