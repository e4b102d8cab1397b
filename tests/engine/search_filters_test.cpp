#include "engine/search_filters.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/search_state.h"
#include "tests/engine/search_state_test.h"

namespace zandrel {
namespace {

using Entries = std::optional<std::vector<std::string>>;

class SearchFiltersTest : public testing::SearchStateTest {
 protected:
  std::string sizedFile(const std::string& name, size_t size) { return writeFile(name, std::string(size, 'x')); }

  // Runs the filters on a fresh copy of the paths and returns what is left.
  std::vector<std::string> filter(const std::vector<std::string>& paths, const FilterChoice& choice) {
    gPathList = paths;
    applySearchFilters(choice);
    return gPathList;
  }
};

TEST_F(SearchFiltersTest, SizeRulesKeepOrderAndTreatBoundsAsTheyShould) {
  // Deliberately not in size order, to see the order kept.
  const std::string s150 = sizedFile("s150", 150);
  const std::string s0 = sizedFile("s0", 0);
  const std::string s201 = sizedFile("s201", 201);
  const std::string s100 = sizedFile("s100", 100);
  const std::string s99 = sizedFile("s99", 99);
  const std::string s200 = sizedFile("s200", 200);
  const std::string missing = path("missing");  // reads -1
  const std::string folder = makeFolder("folder");  // reads -2
  const std::vector<std::string> all = {s150, s0, s201, missing, s100, s99, folder, s200};

  const struct {
    const char* name;
    SizeRule rule;
    int64_t minSize, maxSize;
    std::vector<std::string> expected;
  } cases[] = {
      {"any", SizeRule::Any, 100, 200, all},
      {"include 100..200", SizeRule::Include, 100, 200, {s150, s100, s200}},
      {"include 100..open", SizeRule::Include, 100, 0, {s150, s201, s100, s200}},
      {"include 0..open", SizeRule::Include, 0, 0, {s150, s0, s201, s100, s99, s200}},
      {"include 150..150", SizeRule::Include, 150, 150, {s150}},
      {"exclude 100..200", SizeRule::Exclude, 100, 200, {s0, s201, missing, s99, folder}},
      {"exclude 0..200", SizeRule::Exclude, 0, 200, {s201, missing, folder}},
      {"exclude 150..150", SizeRule::Exclude, 150, 150, {s0, s201, missing, s100, s99, folder, s200}},
  };
  for (const auto& c : cases) {
    gMinSize = c.minSize;
    gMaxSize = c.maxSize;
    EXPECT_EQ(filter(all, {c.rule, ExtensionRule::Any, ""}), c.expected) << c.name;
  }
}

TEST_F(SearchFiltersTest, SizeIsReadWhenTheFilterRuns) {
  const std::string file = sizedFile("grows", 10);
  gPathList = {file};
  gMinSize = 100;
  sizedFile("grows", 120);
  filterIncludeSizeRange();
  EXPECT_EQ(gPathList, std::vector<std::string>{file});

  std::filesystem::remove(file);  // vanished after the collection
  filterIncludeSizeRange();
  EXPECT_TRUE(gPathList.empty());
}

TEST(ParseExtensionList, SplitsAtEverySingleBlank) {
  using V = std::vector<std::string>;
  const struct {
    const char* text;
    Entries expected;
  } cases[] = {
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"txt", V{"txt"}},
      {"txt jpg", V{"txt", "jpg"}},
      {"  txt jpg   ", V{"txt", "jpg"}},  // outer blanks add no empty entry
      {"txt  jpg", V{"txt", "", "jpg"}},
      {"txt   jpg", V{"txt", "", "", "jpg"}},
      {"txt a***b doc", V{"txt"}},  // an entry holding the end marker ends the list
      {"txt *** doc", V{"txt"}},
      {"***", V{}},
      {"a**b", V{"a**b"}},
      {"TXT Jpg", V{"TXT", "Jpg"}},  // case kept
      {".txt tar.gz", V{".txt", "tar.gz"}},
      {"\ttxt\t", V{"\ttxt\t"}},  // only blanks are trimmed and split at
      {"txt\tjpg", V{"txt\tjpg"}},
      {"\t", V{"\t"}},
  };
  for (const auto& c : cases) EXPECT_EQ(parseExtensionList(c.text), c.expected) << '"' << c.text << '"';
}

TEST(PathExtension, TakesTextAfterLastDotOfTheName) {
  const struct {
    const char* path;
    const char* expected;
  } cases[] = {
      {"a.txt", "txt"},
      {"/data/B.TXT", "TXT"},
      {"/data/e.tar.gz", "gz"},
      {"/data/f.txt.bak", "bak"},
      {"/data/d", ""},
      {"", ""},
      {".profile", ""},
      {"/home/u/.profile", ""},
      {"/home/u/..", ""},
      {"release 1.0 notes", ""},
      {"/data/release 1.0 notes", ""},
      {"/data/dir.d/readme", ""},
      {"/data/dir.d/", ""},
      {"/data/name.", ""},
      {"/data/my dir/a.txt", "txt"},
      {"a\\b.txt", "txt"},
      {"/data/a.b\\c", "b\\c"},           // a backslash is part of the name here
      {"/data/dir\\.profile", "profile"},  // so the dot does not start the name
      {"/data/a.tx\"t", "tx"},             // cut at a double quote
      {"/data/a.\"txt", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(pathExtension(c.path), c.expected) << '"' << c.path << '"';
}

class ExtensionFilterTest : public SearchFiltersTest {
 protected:
  void SetUp() override {
    SearchFiltersTest::SetUp();
    for (const char* name : {"a.txt", "B.TXT", "c.JPG", "d", "e.tar.gz", "f.txt.bak"}) {
      files_.push_back(writeFile(name, name));
    }
  }

  std::vector<std::string> pick(std::initializer_list<int> indices) const {
    std::vector<std::string> paths;
    for (int i : indices) paths.push_back(files_[i]);
    return paths;
  }

  std::vector<std::string> files_;
};

TEST_F(ExtensionFilterTest, MatchesExactCaseSensitiveExtensions) {
  // 0 a.txt, 1 B.TXT, 2 c.JPG, 3 d, 4 e.tar.gz, 5 f.txt.bak
  const struct {
    ExtensionRule rule;
    const char* text;
    std::vector<std::string> expected;
  } cases[] = {
      {ExtensionRule::Include, "txt jpg", pick({0})},
      {ExtensionRule::Include, "TXT JPG", pick({1, 2})},
      {ExtensionRule::Include, ".txt", {}},
      {ExtensionRule::Include, "tar.gz", {}},
      {ExtensionRule::Include, "gz bak", pick({4, 5})},
      {ExtensionRule::Include, "txt  jpg", pick({0, 3})},  // the empty entry matches names without extension
      {ExtensionRule::Include, "  txt  ", pick({0})},      // outer blanks add none
      {ExtensionRule::Include, "txt a***b d", pick({0})},
      {ExtensionRule::Include, "***", {}},
      {ExtensionRule::Exclude, "txt jpg", pick({1, 2, 3, 4, 5})},
      {ExtensionRule::Exclude, "txt  jpg", pick({1, 2, 4, 5})},
      {ExtensionRule::Exclude, "***", files_},
      {ExtensionRule::Include, "", files_},
      {ExtensionRule::Include, "    ", files_},
      {ExtensionRule::Exclude, "", files_},
      {ExtensionRule::Exclude, "   ", files_},
      {ExtensionRule::Any, "txt", files_},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(filter(files_, {SizeRule::Any, c.rule, c.text}), c.expected)
        << (c.rule == ExtensionRule::Include ? "include" : "exclude") << " \"" << c.text << '"';
  }
}

TEST_F(SearchFiltersTest, SizeAndExtensionFiltersCombineAndKeepOrder) {
  const std::string mid2 = sizedFile("mid2.txt", 120);
  const std::string big = sizedFile("big.txt", 300);
  const std::string midJpg = sizedFile("mid.jpg", 150);
  const std::string mid = sizedFile("mid.txt", 150);
  const std::string small = sizedFile("small.txt", 50);
  const std::string missing = path("gone.txt");
  const std::vector<std::string> all = {mid2, big, midJpg, missing, mid, small};

  gMinSize = 100;
  gMaxSize = 200;
  EXPECT_EQ(filter(all, {SizeRule::Include, ExtensionRule::Include, "txt"}), (std::vector<std::string>{mid2, mid}));
  EXPECT_EQ(filter(all, {SizeRule::Include, ExtensionRule::Exclude, "txt"}), std::vector<std::string>{midJpg});
  EXPECT_EQ(filter(all, {SizeRule::Exclude, ExtensionRule::Include, "txt"}),
            (std::vector<std::string>{big, missing, small}));
}

}  // namespace
}  // namespace zandrel
