#include "engine/path_collection.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/search_state.h"
#include "tests/engine/search_state_test.h"
#include "tests/support/child_process.h"

namespace zandrel {
namespace {

std::vector<std::string> sorted(std::vector<std::string> paths) {
  std::sort(paths.begin(), paths.end());
  return paths;
}

class PathCollectionTest : public testing::SearchStateTest {
 protected:
  // root/a.txt, root/.hidden, root/sub/x, root/sub/deep/y, root/other/z
  void makeTree() {
    writeFile("root/a.txt", "a");
    writeFile("root/.hidden", "h");
    writeFile("root/sub/x", "x");
    writeFile("root/sub/deep/y", "y");
    writeFile("root/other/z", "z");
  }

  std::vector<std::string> collect(const std::vector<std::string>& rows, int64_t subdirs) {
    gSearchSubdirs = subdirs;
    collectSearchPaths(rows);
    return gPathList;
  }
};

TEST_F(PathCollectionTest, RecursiveWalkReachesEveryDepth) {
  makeTree();
  const std::string root = path("root");
  EXPECT_EQ(sorted(collect({root}, 1)), sorted({root + "/a.txt", root + "/.hidden", root + "/sub/x",
                                                root + "/sub/deep/y", root + "/other/z"}));
}

TEST_F(PathCollectionTest, FlatWalkTakesOnlyDirectFiles) {
  makeTree();
  const std::string root = path("root");
  EXPECT_EQ(sorted(collect({root}, 0)), sorted({root + "/a.txt", root + "/.hidden"}));
}

TEST_F(PathCollectionTest, RecursiveWalkIsDepthFirst) {
  // Whatever order the listing returns, a subfolder's files must form one
  // unbroken block where the subfolder stands in its parent.
  const std::string root = path("root");
  for (const char* name : {"a", "b", "c"}) writeFile(std::string("root/") + name, name);
  for (const char* name : {"sub/1", "sub/2", "sub/deep/3", "sub/deep/4", "sub/5", "other/6", "other/7"}) {
    writeFile(std::string("root/") + name, name);
  }
  const std::vector<std::string> paths = collect({root}, 1);
  ASSERT_EQ(paths.size(), 10u);

  for (const std::string folder : {"/sub/", "/sub/deep/", "/other/"}) {
    const std::string prefix = root + folder;
    const auto inside = [&](const std::string& p) { return p.rfind(prefix, 0) == 0; };
    const auto first = std::find_if(paths.begin(), paths.end(), inside);
    const auto afterLast = std::find_if(paths.rbegin(), paths.rend(), inside).base();
    ASSERT_NE(first, paths.end()) << prefix;
    EXPECT_TRUE(std::all_of(first, afterLast, inside)) << prefix << " is split";
  }
}

TEST_F(PathCollectionTest, TrailingSeparatorOnRowGivesSamePaths) {
  makeTree();
  const std::string root = path("root");
  for (int64_t subdirs : {0, 1}) {
    const std::vector<std::string> without = sorted(collect({root}, subdirs));
    const std::vector<std::string> with = sorted(collect({root + "/"}, subdirs));
    EXPECT_EQ(with, without) << "subdirs " << subdirs;
    for (const std::string& p : with) EXPECT_EQ(p.find("//"), std::string::npos) << p;
  }
}

TEST_F(PathCollectionTest, FileRowYieldsItsOwnText) {
  writeFile("dir/a.txt", "a");
  // Spelled oddly on purpose: the row is taken as written, not normalised.
  const std::string row = path("dir") + "/./a.txt";
  EXPECT_EQ(collect({row}, 0), std::vector<std::string>{row});
  EXPECT_EQ(collect({row}, 1), std::vector<std::string>{row});
}

TEST_F(PathCollectionTest, SkipsMissingAndEmptyRows) {
  const std::string file = writeFile("a.txt", "a");
  const std::vector<std::string> rows = {"", path("missing"), path("missing/"), file, ""};
  EXPECT_EQ(collect(rows, 1), std::vector<std::string>{file});
}

TEST_F(PathCollectionTest, RowsAreCollectedInRowOrderAndRepeatsKept) {
  writeFile("dir/a.txt", "a");
  writeFile("dir/sub/b.txt", "b");
  const std::string dir = path("dir");
  const std::string sub = path("dir/sub");
  // A file reached through two rows appears once per row; the size grouping merges them.
  const std::vector<std::string> paths = collect({sub, dir, dir + "/a.txt"}, 1);
  ASSERT_EQ(paths.size(), 4u);
  EXPECT_EQ(paths[0], sub + "/b.txt");
  EXPECT_EQ(sorted({paths[1], paths[2]}), sorted({dir + "/a.txt", dir + "/sub/b.txt"}));
  EXPECT_EQ(paths[3], dir + "/a.txt");
}

TEST_F(PathCollectionTest, EmptyFoldersAddNothing) {
  makeFolder("empty");
  makeFolder("onlyFolders/one/two");
  makeFolder("onlyFolders/three");
  EXPECT_TRUE(collect({path("empty")}, 0).empty());
  EXPECT_TRUE(collect({path("empty")}, 1).empty());
  EXPECT_TRUE(collect({path("onlyFolders")}, 0).empty());
  EXPECT_TRUE(collect({path("onlyFolders")}, 1).empty());
}

TEST_F(PathCollectionTest, SymbolicLinksAreFilesAndNeverWalked) {
  const std::string target = makeFolder("target");
  writeFile("target/inside.txt", "i");
  const std::string dir = makeFolder("dir");
  writeFile("dir/plain.txt", "p");
  std::filesystem::create_directory_symlink(target, dir + "/folder-link");
  std::filesystem::create_directory_symlink(dir, dir + "/loop");  // would never end if walked
  std::filesystem::create_symlink(path("gone"), dir + "/dangling");

  const std::vector<std::string> expected =
      sorted({dir + "/plain.txt", dir + "/folder-link", dir + "/loop", dir + "/dangling"});
  EXPECT_EQ(sorted(collect({dir}, 1)), expected);
  EXPECT_EQ(sorted(collect({dir}, 0)), expected);
}

TEST_F(PathCollectionTest, KeepsNameBytesThatAreNotUtf8) {
  const std::string bad = writeFile("dir/bad\xff.txt", "b");
  const std::string nested = writeFile("dir/s\xc3/\xfe", "n");  // truncated sequence, stray byte
  EXPECT_EQ(sorted(collect({path("dir")}, 1)), sorted({bad, nested}));
  EXPECT_EQ(collect({bad}, 0), std::vector<std::string>{bad});
}

TEST_F(PathCollectionTest, EmptiesBothListsFirst) {
  const std::string file = writeFile("a.txt", "a");
  gPathList = {"/stale/path"};
  gFileEntries = {FileEntry{"/stale/entry", 5, "C", "m", "s"}};
  collectSearchPaths({file});
  EXPECT_EQ(gPathList, std::vector<std::string>{file});
  EXPECT_TRUE(gFileEntries.empty());

  gPathList = {"/stale/path"};
  gFileEntries = {FileEntry{"/stale/entry", 5, "C", "m", "s"}};
  collectSearchPaths({});
  EXPECT_TRUE(gPathList.empty());
  EXPECT_TRUE(gFileEntries.empty());
}

TEST_F(PathCollectionTest, StopRequestCollectsNothing) {
  makeTree();
  const std::string file = writeFile("a.txt", "a");
  gPathList = {"/stale/path"};
  gStopRequested = true;
  EXPECT_TRUE(collect({path("root"), file}, 1).empty());
  EXPECT_TRUE(gFileEntries.empty());

  scanFolderRecursive(path("root"), 0);
  scanFolderFlat(path("root"));
  EXPECT_TRUE(gPathList.empty());
}

TEST_F(PathCollectionTest, WalkersAppendToWhatIsThere) {
  makeTree();
  const std::string root = path("root");
  gPathList = {"/first"};
  scanFolderFlat(root);
  ASSERT_EQ(gPathList.size(), 3u);
  EXPECT_EQ(gPathList[0], "/first");

  gPathList = {"/first"};
  scanFolderRecursive(root + "/", 0);
  ASSERT_EQ(gPathList.size(), 6u);
  EXPECT_EQ(gPathList[0], "/first");
  EXPECT_EQ(sorted({gPathList.begin() + 1, gPathList.end()}),
            sorted({root + "/a.txt", root + "/.hidden", root + "/sub/x", root + "/sub/deep/y", root + "/other/z"}));
}

TEST_F(PathCollectionTest, DeepTreeIsWalkedWholeUnderALowOpenFileLimit) {
  // 2,000 levels, a file at every 100th and at the bottom; one-letter names
  // keep the deepest path below the system's path length limit.
  std::string folder = path();
  std::vector<std::string> expected;
  for (int depth = 1; depth <= 2000; ++depth) {
    folder += "/d";
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0) << depth;
    if (depth % 100 == 0) {
      expected.push_back(folder + "/f");
      writeFile(expected.back().substr(path().size() + 1), "x");
    }
  }
  const std::vector<std::string> unlimited = collect({path()}, 1);
  EXPECT_EQ(sorted(unlimited), sorted(expected));

  const int code = testing::exitCodeInChild([&] {
    if (!testing::limitResource(RLIMIT_NOFILE, 256)) return 3;
    gPathList.clear();
    collectSearchPaths({path()});
    // The same paths in the same order as without the limit.
    return gPathList == unlimited ? 0 : gPathList.size() == unlimited.size() ? 1 : 2;
  });
  ASSERT_NE(code, -1);
  EXPECT_EQ(code, 0) << "1: order differs, 2: paths lost, 3: limit not set";
}

}  // namespace
}  // namespace zandrel
