#include "results/csv_format.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/unique_fd.h"
#include "tests/support/temp_dir.h"

namespace zandrel {
namespace {

using Rows = std::vector<std::vector<std::string>>;

class CsvFormatTest : public testing::TempDirTest {
 protected:
  // The records of a file holding the content, after its first line, as the import reads them.
  Rows readBack(const std::string& content) {
    const UniqueFd file(::open(writeFile("results.csv", content).c_str(), O_RDONLY | O_CLOEXEC));
    EXPECT_TRUE(file.valid());
    CsvReader reader(file.get());
    reader.skipLine();
    Rows rows;
    std::vector<std::string> cells;
    while (!reader.atEnd()) {
      EXPECT_TRUE(reader.next(cells));
      rows.push_back(cells);
    }
    EXPECT_FALSE(reader.next(cells));
    return rows;
  }
};

TEST(CsvLine, QuotesEveryCellAndDoublesInnerQuotes) {
  EXPECT_EQ(csvLine({"1", "/data/a.txt", "12 Byte", "d41d8cd9", "", ""}),
            "\"1\",\"/data/a.txt\",\"12 Byte\",\"d41d8cd9\",\"\",\"\"\r\n");
  EXPECT_EQ(csvLine({"a,b", "say \"hi\"", "\""}), "\"a,b\",\"say \"\"hi\"\"\",\"\"\"\"\r\n");
  EXPECT_EQ(std::string(kCsvHeader), "Group,Name,Size,MD5,SHA1,CRC32");
}

TEST_F(CsvFormatTest, WrittenRowsReadBackWhole) {
  const Rows rows = {
      {"1", "/plain/name.txt", "1.50 KB", "0123456789abcdef0123456789abcdef", "", "cafe0123"},
      {"2", "/with,comma/and,,more", "3 Byte", "", "", ""},
      {"2", "/quoted \"part\" and \"", "\"", "\"\"", "", ""},
      {"3", "/line\nfeed\r\nand\rreturn", "", "", "", ""},
      {"", "", "", "", "", ""},
      {"4", "/caf\xC3\xA9/\xE9 not UTF-8", "2048.00 GB", "", "", ""},
  };
  std::string content = std::string(kCsvHeader) + "\r\n";
  for (const auto& row : rows) content += csvLine(row);
  EXPECT_EQ(readBack(content), rows);
}

TEST_F(CsvFormatTest, ReadsWhatOtherWritersLeave) {
  const struct {
    const char* name;
    std::string content;
    Rows rows;
  } cases[] = {
      {"header only", "Group,Name,Size,MD5,SHA1,CRC32\r\n", {}},
      {"empty file", "", {}},
      {"first line skipped whatever it holds", "\"broken\r\n\"1\",\"a\"\r\n", {{"1", "a", "", "", "", ""}}},
      {"plain fields, no line end at the end", "h\n7,/some/path", {{"7", "/some/path", "", "", "", ""}}},
      {"empty line between rows", "h\r\n\"1\"\r\n\r\n\"2\"\r\n",
       {{"1", "", "", "", "", ""}, {"", "", "", "", "", ""}, {"2", "", "", "", "", ""}}},
      {"fields after the sixth are dropped", "h\r\n1,2,3,4,5,6,7,8\r\n", {{"1", "2", "3", "4", "5", "6"}}},
      {"CR, LF and CR LF all end a line", "h\r1\n2\r\n3\r", {{"1", "", "", "", "", ""},
                                                              {"2", "", "", "", "", ""},
                                                              {"3", "", "", "", "", ""}}},
      {"inner quotes of a plain field stay", "h\n1,a\"b\"\n", {{"1", "a\"b\"", "", "", "", ""}}},
      {"text after a closing quote joins the field", "h\n\"ab\"c,d\n", {{"abc", "d", "", "", "", ""}}},
      {"an unclosed quote takes the rest", "h\n\"1\",\"a,b\nc", {{"1", "a,b\nc", "", "", "", ""}}},
      {"a NUL byte ends the file", std::string("h\n\"1\"\n\"2\0\"\n\"3\"\n", 15),
       {{"1", "", "", "", "", ""}, {"2", "", "", "", "", ""}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(readBack(c.content), c.rows);
  }
}

TEST_F(CsvFormatTest, ALineWithoutEndKeepsOnlyItsFirstMegabyte) {
  const std::string huge(3 * CsvReader::kMaxRecordBytes, 'x');
  const Rows rows = readBack("h\r\n1," + huge + "\r\n\"2\",\"after\"\r\n");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][0], "1");
  EXPECT_EQ(rows[0][1].size(), CsvReader::kMaxRecordBytes - 1);
  EXPECT_EQ(rows[1], (std::vector<std::string>{"2", "after", "", "", "", ""}));
}

TEST(CsvExtension, AddedOnlyWhenTheNameHasNone) {
  const struct {
    const char* given;
    const char* written;
  } cases[] = {
      {"/home/u/results", "/home/u/results.csv"},
      {"/home/u/results.csv", "/home/u/results.csv"},
      {"/home/u/results.txt", "/home/u/results.txt"},
      {"/home/u/results.", "/home/u/results."},
      {"/home/u/.hidden", "/home/u/.hidden"},
      {"/home/u.d/results", "/home/u.d/results.csv"},  // a dot in a folder name is no extension
      {"/home/u/results v1.2 final", "/home/u/results v1.2 final.csv"},  // a blank after the dot: none
      {"/home/u/my results.old", "/home/u/my results.old"},
  };
  for (const auto& c : cases) EXPECT_EQ(withCsvExtension(c.given), c.written) << c.given;
}

}  // namespace
}  // namespace zandrel
