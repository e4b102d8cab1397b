#include "engine/size_grouping.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/path_collection.h"
#include "engine/search_state.h"
#include "tests/engine/search_state_test.h"

namespace zandrel {
namespace {

using SizeCounts = std::unordered_map<std::string, int64_t>;

std::vector<std::string> entryPaths() {
  std::vector<std::string> paths;
  for (const FileEntry& entry : gFileEntries) paths.push_back(entry.filePath);
  return paths;
}

class SizeGroupingTest : public testing::SearchStateTest {
 protected:
  std::string sizedFile(const std::string& name, size_t size) { return writeFile(name, std::string(size, 'x')); }

  // Both steps on the given paths, starting empty as after the path collection;
  // returns the surviving paths.
  std::vector<std::string> group(const std::vector<std::string>& paths) {
    gPathList = paths;
    gFileEntries.clear();
    collectFileSizes();
    groupBySize();
    return entryPaths();
  }
};

TEST_F(SizeGroupingTest, NothingOrOneFileLeavesNothing) {
  EXPECT_TRUE(group({}).empty());
  EXPECT_TRUE(gSizeCounts.empty());

  EXPECT_TRUE(group({sizedFile("only", 10)}).empty());
}

TEST_F(SizeGroupingTest, KeepsOnlySizesThatRepeat) {
  const std::string a = sizedFile("a", 10);
  const std::string b = sizedFile("b", 10);
  const std::string small = sizedFile("small", 5);
  const std::string big = sizedFile("big", 20);
  const std::string mid = sizedFile("mid", 15);

  EXPECT_EQ(group({small, a, big, mid, b}), (std::vector<std::string>{a, b}));
  for (const FileEntry& entry : gFileEntries) {
    EXPECT_EQ(entry.fileSize, 10);
    EXPECT_TRUE(entry.crc32Hex.empty() && entry.md5Hex.empty() && entry.sha1Hex.empty());
  }
}

TEST_F(SizeGroupingTest, EmptyFilesAreASizeLikeAnyOther) {
  const std::string e1 = sizedFile("e1", 0);
  const std::string e2 = sizedFile("e2", 0);
  EXPECT_EQ(group({e2, sizedFile("x", 3), e1}), (std::vector<std::string>{e1, e2}));
}

TEST_F(SizeGroupingTest, FileReachedTwiceIsKeptOnce) {
  const std::string dir = makeFolder("dir");
  const std::string a = sizedFile("dir/a", 10);
  const std::string b = sizedFile("dir/b", 10);
  gSearchSubdirs = 1;
  // A folder row, the same folder with the separator, and a file inside it.
  collectSearchPaths({dir, dir + "/", a});
  ASSERT_EQ(gPathList.size(), 5u);
  collectFileSizes();
  groupBySize();
  EXPECT_EQ(entryPaths(), (std::vector<std::string>{a, b}));
  EXPECT_EQ(gSizeCounts, (SizeCounts{{"10", 2}}));
}

TEST_F(SizeGroupingTest, FileReachedTwiceWithUniqueSizeGoes) {
  const std::string a = sizedFile("a", 10);
  const std::string b = sizedFile("b", 20);
  // Twice the same path must not pass for a pair of equal size, also when its size is the largest.
  EXPECT_TRUE(group({a, a, b}).empty());
  EXPECT_TRUE(group({b, a, b}).empty());
  EXPECT_TRUE(group({a, a, a}).empty());
}

TEST_F(SizeGroupingTest, ResultIsInUtf16PathOrder) {
  makeFolder("d");
  const std::string fullwidth = sizedFile("d/\xEF\xBD\x81", 4);  // U+FF41, after the surrogates in UTF-16
  const std::string emoji = sizedFile("d/\xF0\x9F\x98\x80", 4);  // U+1F600
  const std::string upper = sizedFile("d/B", 4);
  const std::string lower = sizedFile("d/a", 4);
  const std::string prefix = sizedFile("d/a2", 4);
  const std::string other1 = sizedFile("d/z", 7);
  const std::string other2 = sizedFile("d/c", 7);

  EXPECT_EQ(group({fullwidth, other1, emoji, lower, other2, prefix, upper}),
            (std::vector<std::string>{upper, lower, prefix, other2, other1, emoji, fullwidth}));
}

TEST_F(SizeGroupingTest, SizePassSortsBySizeStably) {
  // Enough entries that an unstable sort would show; names run against the list order.
  std::vector<std::string> paths;
  std::vector<std::vector<std::string>> bySize(3);
  for (int i = 0; i < 60; ++i) {
    const int size = (i * 7) % 3;
    paths.push_back(sizedFile("f" + std::to_string(99 - i), size));
    bySize[size].push_back(paths.back());
  }
  std::vector<std::string> expected;
  for (const auto& group : bySize) expected.insert(expected.end(), group.begin(), group.end());

  gPathList = paths;
  collectFileSizes();
  EXPECT_EQ(entryPaths(), expected);
  for (size_t i = 1; i < gFileEntries.size(); ++i) EXPECT_LE(gFileEntries[i - 1].fileSize, gFileEntries[i].fileSize);
  EXPECT_EQ(gPathList, paths);  // only read
}

TEST_F(SizeGroupingTest, SizePassSkipsWhatHasNoContentOfItsOwn) {
  const std::string a = sizedFile("a", 8);
  const std::string b = sizedFile("b", 8);
  const std::string folder = makeFolder("folder");
  const std::string fifo = path("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string dangling = path("dangling");
  std::filesystem::create_symlink(path("gone"), dangling);
  const std::string folderLink = path("folder-link");
  std::filesystem::create_directory_symlink(folder, folderLink);
  const std::string removed = sizedFile("removed", 8);
  std::filesystem::remove(removed);

  // A FIFO without a writer must neither hang the pass nor count as a file.
  gPathList = {fifo, a, path("missing"), folder, dangling, folder + "/", folderLink, removed, b};
  collectFileSizes();
  EXPECT_EQ(entryPaths(), (std::vector<std::string>{a, b}));
  EXPECT_EQ(testing::openFilesUnder(path()), 0);
}

TEST_F(SizeGroupingTest, LinkToFileCountsWithTheTargetsSize) {
  const std::string target = sizedFile("target", 6);
  const std::string link = path("link");
  std::filesystem::create_symlink(target, link);
  gPathList = {link};
  collectFileSizes();
  ASSERT_EQ(gFileEntries.size(), 1u);
  EXPECT_EQ(gFileEntries[0].filePath, link);
  EXPECT_EQ(gFileEntries[0].fileSize, 6);
  EXPECT_TRUE(gFileEntries[0].pathIsLink);
}

// The size pass notes what it saw of each file; the same look taken later
// tells whether the path still names that file, unchanged.
TEST_F(SizeGroupingTest, StampTellsWhetherThePathStillNamesTheFileSeen) {
  namespace fs = std::filesystem;
  const timespec past[2] = {{1000000000, 123456789}, {1000000000, 123456789}};
  const auto oldFile = [&](const std::string& name, const std::string& content) {
    const std::string file = writeFile(name, content);
    EXPECT_EQ(utimensat(AT_FDCWD, file.c_str(), past, 0), 0);
    return file;
  };
  const auto overwrite = [](const std::string& file, const std::string& bytes) {
    std::fstream(file, std::ios::in | std::ios::out | std::ios::binary) << bytes;
  };
  const struct {
    const char* what;
    bool link;  // the path is a link to a file elsewhere
    std::function<void(const std::string& path, const std::string& target)> change;
    bool same;
  } cases[] = {
      {"unchanged", false, [](const std::string&, const std::string&) {}, true},
      {"renamed away and back", false,
       [](const std::string& p, const std::string&) {
         fs::rename(p, p + ".away");
         fs::rename(p + ".away", p);
       },
       true},
      {"bytes appended", false, [](const std::string& p, const std::string&) { std::ofstream(p, std::ios::app) << "!"; },
       false},
      {"rewritten at the same size", false, [&](const std::string& p, const std::string&) { overwrite(p, "XXXX"); },
       false},
      {"time moved by a nanosecond", false,
       [](const std::string& p, const std::string&) {
         const timespec later[2] = {{1000000000, 123456790}, {1000000000, 123456790}};
         utimensat(AT_FDCWD, p.c_str(), later, 0);
       },
       false},
      {"replaced by a copy of the same time", false,
       [&](const std::string& p, const std::string&) {
         const std::string copy = oldFile("copy", "data");
         fs::rename(copy, p);
       },
       false},
      {"replaced by a link to itself elsewhere", false,
       [](const std::string& p, const std::string&) {
         fs::rename(p, p + ".moved");
         fs::create_symlink(p + ".moved", p);
       },
       false},
      {"a link, unchanged", true, [](const std::string&, const std::string&) {}, true},
      {"a link whose file grew", true,
       [](const std::string&, const std::string& t) { std::ofstream(t, std::ios::app) << "!"; }, false},
      {"a link replaced by its file", true, [](const std::string& p, const std::string& t) { fs::rename(t, p); },
       false},
      {"a link gone", true, [](const std::string& p, const std::string&) { fs::remove(p); }, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    clearFolder();
    const std::string target = oldFile(c.link ? "elsewhere/file" : "data", "data");
    const std::string listed = c.link ? path("link") : target;
    if (c.link) fs::create_symlink(target, listed);
    gFileEntries.clear();
    gPathList = {listed};
    collectFileSizes();
    ASSERT_EQ(gFileEntries.size(), 1u);
    const FileStamp seen = fileStampOf(gFileEntries[0]);
    EXPECT_EQ(seen.pathIsLink, c.link);
    c.change(listed, target);
    EXPECT_EQ(currentFileStamp(listed) == seen, c.same);
  }
}

// Several paths that name one file count as that file once; otherwise "Select
// duplicates" would offer the only copy for deletion.
TEST_F(SizeGroupingTest, PathsOfOneFileAreOneFile) {
  namespace fs = std::filesystem;
  const std::string same(12, 's');
  const struct {
    const char* what;
    std::function<std::vector<std::string>()> make;  // returns the location rows
    std::vector<std::string> expected;                // relative to the temporary folder
  } cases[] = {
      {"folder and a link to it",
       [&] {
         writeFile("data/dupdir/x1", "only copy");
         fs::create_directory_symlink("dupdir", path("data/dlink"));
         return std::vector<std::string>{path("data/dupdir"), path("data/dlink")};
       },
       {}},
      {"folder and a link to it, with a real pair inside",
       [&] {
         writeFile("data/dupdir/x1", "only copy");
         writeFile("data/dupdir/y1", same);
         writeFile("data/dupdir/y2", same);
         fs::create_directory_symlink("dupdir", path("data/dlink"));
         return std::vector<std::string>{path("data/dupdir"), path("data/dlink")};
       },
       {"data/dlink/y1", "data/dlink/y2"}},
      {"file and a link to it",
       [&] {
         writeFile("f/b_real", "only copy");
         fs::create_symlink("b_real", path("f/a_link"));
         return std::vector<std::string>{path("f")};
       },
       {}},
      {"file, a link to it and a real copy: the link goes",
       [&] {
         writeFile("f/b_real", same);
         writeFile("f/c_copy", same);
         fs::create_symlink("b_real", path("f/a_link"));
         return std::vector<std::string>{path("f")};
       },
       {"f/b_real", "f/c_copy"}},
      {"one folder in two spellings",
       [&] {
         writeFile("twice/p", "pp");
         writeFile("twice/q", "qq");
         return std::vector<std::string>{path("twice") + "/./", path("twice")};
       },
       {"twice/./p", "twice/./q"}},
      {"hard links",
       [&] {
         writeFile("h/h1", same);
         fs::create_hard_link(path("h/h1"), path("h/h2"));
         writeFile("h/h3", same);
         return std::vector<std::string>{path("h")};
       },
       {"h/h1", "h/h3"}},
      {"a link to a file outside every location stays a file of its own",
       [&] {
         writeFile("outside/o", same);
         writeFile("loc/r", same);
         fs::create_symlink("../outside/o", path("loc/l"));
         return std::vector<std::string>{path("loc")};
       },
       {"loc/l", "loc/r"}},
  };
  gSearchSubdirs = 1;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<std::string> rows = c.make();
    collectSearchPaths(rows);
    collectFileSizes();
    groupBySize();
    std::vector<std::string> expected;
    for (const std::string& name : c.expected) expected.push_back(path(name));
    EXPECT_EQ(entryPaths(), expected);
    clearFolder();
  }
}

TEST_F(SizeGroupingTest, TreeWithoutAliasesGroupsAsBefore) {
  // Groups by size alone, in path order, repeated rows merged: exactly the
  // paths below, whatever the listing order.
  writeFile("t/b/2", "1234");
  writeFile("t/a", "abcd");
  writeFile("t/b/1", "xy");
  writeFile("t/c", "zz");
  writeFile("t/d", "unique size");
  writeFile("t/b/e", "");
  writeFile("t/f", "");
  writeFile("t/b/g", "wxyz");
  gSearchSubdirs = 1;
  collectSearchPaths({path("t"), path("t/b"), path("t/a")});
  collectFileSizes();
  groupBySize();
  std::vector<std::string> expected;
  for (const char* name : {"t/a", "t/b/1", "t/b/2", "t/b/e", "t/b/g", "t/c", "t/f"}) expected.push_back(path(name));
  EXPECT_EQ(entryPaths(), expected);
  EXPECT_EQ(gSizeCounts, (SizeCounts{{"4", 3}, {"2", 2}, {"0", 2}, {"11", 1}}));
}

TEST_F(SizeGroupingTest, KeepsSizesBeyond32Bits) {
  const std::string big1 = writeFile("big1", "");
  const std::string big2 = writeFile("big2", "");
  std::filesystem::resize_file(big1, 3LL << 30);  // sparse, takes no space
  std::filesystem::resize_file(big2, 3LL << 30);
  EXPECT_EQ(group({big2, big1}), (std::vector<std::string>{big1, big2}));
  for (const FileEntry& entry : gFileEntries) EXPECT_EQ(entry.fileSize, 3LL << 30);
  EXPECT_EQ(gSizeCounts, (SizeCounts{{"3221225472", 2}}));
}

TEST_F(SizeGroupingTest, CountsSizesUnderTheirDecimalText) {
  const std::string a = sizedFile("a", 1000);
  const std::string b = sizedFile("b", 1000);
  const std::string c = sizedFile("c", 1000);
  const std::string d = sizedFile("d", 16);
  const std::string e = sizedFile("e", 16);
  const std::string f = sizedFile("f", 2048);  // largest, seen once
  EXPECT_EQ(group({f, a, d, b, e, c}), (std::vector<std::string>{a, b, c, d, e}));
  EXPECT_EQ(gSizeCounts.at("1000"), 3);
  EXPECT_EQ(gSizeCounts.at("16"), 2);
  // A count of 1 may be recorded, never a count for a size no entry had.
  for (const auto& [key, count] : gSizeCounts) {
    EXPECT_TRUE(key == "1000" || key == "16" || (key == "2048" && count == 1)) << key << ": " << count;
  }

  gSizeCounts["stale"] = 9;
  group({a, b});
  EXPECT_EQ(gSizeCounts, (SizeCounts{{"1000", 2}}));
}

TEST_F(SizeGroupingTest, StopRequestEndsTheSizePass) {
  gPathList = {sizedFile("a", 5), sizedFile("b", 5)};
  gStopRequested = true;
  collectFileSizes();
  EXPECT_TRUE(gFileEntries.empty());
}

}  // namespace
}  // namespace zandrel
