#include "engine/results_fill.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace zandrel {
namespace {

FileEntry entry(const std::string& path, int64_t size, const std::string& crc32, const std::string& md5,
                const std::string& sha1) {
  return FileEntry{path, size, crc32, md5, sha1};
}

// An entry whose three texts all derive from one key; "" leaves them empty.
FileEntry keyed(const std::string& path, const std::string& key, int64_t size = 100) {
  return key.empty() ? entry(path, size, "", "", "") : entry(path, size, key, key + "md5", key + "sha1");
}

using GroupAndPath = std::pair<std::string, std::string>;

TEST(FillResultRows, NumbersGroups) {
  const struct {
    const char* what;
    std::vector<FileEntry> entries;
    std::vector<GroupAndPath> expected;
  } cases[] = {
      {"two identical", {keyed("a", "X"), keyed("b", "X")}, {{"1", "a"}, {"1", "b"}}},
      {"three groups, adjacent",
       {keyed("a", "X"), keyed("b", "X"), keyed("c", "Y"), keyed("d", "Y"), keyed("e", "Z"), keyed("f", "Z")},
       {{"1", "a"}, {"1", "b"}, {"2", "c"}, {"2", "d"}, {"3", "e"}, {"3", "f"}}},
      {"trailing group of one removed", {keyed("a", "X"), keyed("b", "X"), keyed("c", "Y")}, {{"1", "a"}, {"1", "b"}}},
      {"group of one in the middle stays",
       {keyed("a", "X"), keyed("b", "X"), keyed("c", "Y"), keyed("d", "Z"), keyed("e", "Z")},
       {{"1", "a"}, {"1", "b"}, {"2", "c"}, {"3", "d"}, {"3", "e"}}},
      {"only the last row is looked at",
       {keyed("a", "X"), keyed("b", "X"), keyed("c", "Y"), keyed("d", "Z")},
       {{"1", "a"}, {"1", "b"}, {"2", "c"}}},
      {"two different: the second goes", {keyed("a", "X"), keyed("b", "Y")}, {{"1", "a"}}},
      {"empty texts first carry group 0",
       {keyed("e1", ""), keyed("e2", ""), keyed("a", "X"), keyed("b", "X")},
       {{"0", "e1"}, {"0", "e2"}, {"1", "a"}, {"1", "b"}}},
      {"only empty texts", {keyed("e1", ""), keyed("e2", "")}, {{"0", "e1"}, {"0", "e2"}}},
      {"one field differing starts a group",
       {entry("a", 5, "C", "m1", ""), entry("b", 5, "C", "m2", ""), entry("c", 5, "C", "m2", "")},
       {{"1", "a"}, {"2", "b"}, {"2", "c"}}},
      {"texts compare with case", {keyed("a", "abc"), keyed("b", "ABC"), keyed("c", "ABC")},
       {{"1", "a"}, {"2", "b"}, {"2", "c"}}},
      {"a size change alone starts a group",
       {keyed("a", "X", 100), keyed("b", "X", 100), keyed("c", "X", 200), keyed("d", "X", 200)},
       {{"1", "a"}, {"1", "b"}, {"2", "c"}, {"2", "d"}}},
      {"a size change alone at the end", {keyed("a", "X", 100), keyed("b", "X", 100), keyed("c", "X", 200)},
       {{"1", "a"}, {"1", "b"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const ResultsFill fill = fillResultRows(c.entries);
    EXPECT_FALSE(fill.noDuplicates);
    std::vector<GroupAndPath> rows;
    for (const ResultRow& row : fill.rows) rows.emplace_back(row.group, row.filePath);
    EXPECT_EQ(rows, c.expected);
  }
}

TEST(FillResultRows, FewerThanTwoEntriesMeanNoDuplicates) {
  for (const auto& entries : {std::vector<FileEntry>{}, std::vector<FileEntry>{keyed("a", "X")}}) {
    const ResultsFill fill = fillResultRows(entries);
    EXPECT_TRUE(fill.noDuplicates) << entries.size() << " entries";
    EXPECT_TRUE(fill.rows.empty()) << entries.size() << " entries";
  }
}

TEST(FillResultRows, PutsEachTextInItsColumn) {
  const std::string md5 = "900150983cd24fb0d6963f7d28e17f72";
  const std::string sha1 = "a9993e364706816aba3e25717850c26c9cd0d89d";
  const struct {
    const char* what;
    std::string crc32, md5, sha1;
  } passes[] = {
      {"all three passes", "352441C2", md5, sha1},
      {"CRC32 alone", "352441C2", "", ""},
      {"MD5 alone", "", md5, ""},
  };
  for (const auto& p : passes) {
    SCOPED_TRACE(p.what);
    const ResultsFill fill =
        fillResultRows({entry("/d/one", 1536, p.crc32, p.md5, p.sha1), entry("/d/two", 1536, p.crc32, p.md5, p.sha1)});
    ASSERT_EQ(fill.rows.size(), 2u);
    for (const ResultRow& row : fill.rows) {
      EXPECT_EQ(row.group, "1");
      EXPECT_EQ(row.sizeText, "1.50 KB");
      EXPECT_EQ(row.crc32Hex, p.crc32);
      EXPECT_EQ(row.md5Hex, p.md5);
      EXPECT_EQ(row.sha1Hex, p.sha1);
    }
    EXPECT_EQ(fill.rows[0].filePath, "/d/one");
    EXPECT_EQ(fill.rows[1].filePath, "/d/two");
  }
}

}  // namespace
}  // namespace zandrel
