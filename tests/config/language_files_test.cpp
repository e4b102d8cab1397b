// Which files of the program's folder are language files, and their order.

#include "config/language_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "config/languages.h"
#include "tests/support/temp_dir.h"

namespace zandrel {
namespace {

using testing::TempDirTest;

TEST(IsLanguageFileName, ExtensionExactlyLngWithANameBeforeIt) {
  const struct {
    const char* name;
    bool offered;
  } cases[] = {
      {"x.lng", true},      {"Deutsch.lng", true}, {"a.b.lng", true},    {"..lng", true},
      {" .lng", true},      {".lng", false},       {"lng", false},       {"", false},
      {"x.LNG", false},     {"x.Lng", false},      {"x.lnG", false},     {"x.lng.bak", false},
      {"x.lngx", false},    {"xlng", false},       {"x.ln", false},      {"x.lng ", false},
  };
  for (const auto& c : cases) EXPECT_EQ(isLanguageFileName(c.name), c.offered) << '"' << c.name << '"';
}

class ScanLanguageFilesTest : public TempDirTest {
 protected:
  void TearDown() override {
    gLanguageFiles.clear();
    TempDirTest::TearDown();
  }
};

TEST_F(ScanLanguageFilesTest, FilesOnlySortedByUtf16CodeUnits) {
  for (const char* name : {"alpha.lng", "Zulu.lng", "\xC3\x84rger.lng", "alphabet.lng", "Alpha.lng", "B.lng",
                           // U+1F600 is a surrogate pair in UTF-16, so it comes before U+FF21.
                           "\xF0\x9F\x98\x80.lng", "\xEF\xBC\xA1.lng",
                           "x.LNG", "x.lng.bak", ".lng", "readme.txt", "settings.ini"}) {
    writeFile(name, "5 = x\n");
  }
  makeFolder("dir.lng");
  ASSERT_EQ(symlink(path("alpha.lng").c_str(), path("link.lng").c_str()), 0);
  ASSERT_EQ(symlink(path("missing.lng").c_str(), path("dead.lng").c_str()), 0);

  gLanguageFiles = {"stale"};
  scanLanguageFiles(path());
  const std::vector<std::string> expected = {
      "Alpha", "B", "Zulu", "alpha", "alphabet", "link", "\xC3\x84rger", "\xF0\x9F\x98\x80", "\xEF\xBC\xA1"};
  EXPECT_EQ(gLanguageFiles, expected);

  // With or without the trailing separator.
  scanLanguageFiles(path() + "/");
  EXPECT_EQ(gLanguageFiles, expected);
}

TEST_F(ScanLanguageFilesTest, FolderThatCannotBeListedGivesNoFiles) {
  gLanguageFiles = {"stale"};
  scanLanguageFiles(path("missing"));
  EXPECT_TRUE(gLanguageFiles.empty());

  writeFile("plain", "not a folder");
  gLanguageFiles = {"stale"};
  scanLanguageFiles(path("plain"));
  EXPECT_TRUE(gLanguageFiles.empty());

  scanLanguageFiles(path());  // an empty folder
  EXPECT_TRUE(gLanguageFiles.empty());
}

}  // namespace
}  // namespace zandrel
