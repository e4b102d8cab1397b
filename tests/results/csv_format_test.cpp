#include "results/csv_format.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "engine/unique_fd.h"
#include "tests/support/temp_dir.h"

namespace zandrel {
namespace {

using Rows = std::vector<std::vector<std::string>>;

class CsvFormatTest : public testing::TempDirTest {
 protected:
  // The records of a file holding the content, after its first line, as the
  // import reads them; nothing when a record is too long.
  std::optional<Rows> readBack(const std::string& content) {
    const UniqueFd file(::open(writeFile("results.csv", content).c_str(), O_RDONLY | O_CLOEXEC));
    EXPECT_TRUE(file.valid());
    CsvReader reader(file.get());
    reader.skipLine();
    Rows rows;
    std::vector<std::string> cells;
    while (!reader.atEnd()) {
      const CsvReader::Record record = reader.next(cells);
      if (record == CsvReader::Record::TooLong) return std::nullopt;
      EXPECT_EQ(record, CsvReader::Record::Read);
      rows.push_back(cells);
    }
    EXPECT_EQ(reader.next(cells), CsvReader::Record::End);
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
  EXPECT_EQ(readBack(content), std::optional<Rows>(rows));
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
      {"a NUL byte is content like any other", std::string("h\n\"1\"\n\"2\0\"\n\"3\"\n", 15),
       {{"1", "", "", "", "", ""}, {std::string("2\0", 2), "", "", "", "", ""}, {"3", "", "", "", "", ""}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(readBack(c.content), std::optional<Rows>(c.rows));
  }
}

// Nothing is cut: a cell longer than its column ever holds refuses the file.
TEST_F(CsvFormatTest, CellsLongerThanTheirColumnRefuseTheFile) {
  const std::string longestPath = "/" + std::string(PATH_MAX - 2, 'p');
  const std::string hash(40, 'a');
  const std::string fits = "h\r\n\"" + std::string(20, '9') + "\",\"" + longestPath +
                           "\",\"-9223372036854775808 Byte\",\"" + hash.substr(0, 32) + "\",\"" + hash +
                           "\",\"ABCDEF01\"\r\n";
  ASSERT_TRUE(readBack(fits));
  EXPECT_EQ(readBack(fits)->at(0)[1], longestPath);
  const struct {
    const char* name;
    std::string line;
  } cases[] = {
      {"group", std::string(21, '1')},
      {"file name", "1," + longestPath + "x"},
      {"file name in quotes", "1,\"" + longestPath + "\"\"\""},
      {"size", "1,/a," + std::string(26, '9')},
      {"md5", "1,/a,1," + hash.substr(0, 33)},
      {"sha1", "1,/a,1,," + hash + "a"},
      {"crc32", "1,/a,1,,,123456789"},
      {"a line without end", "1," + std::string(3 << 20, 'x')},
  };
  for (const auto& c : cases) EXPECT_EQ(readBack("h\r\n\"0\"\r\n" + c.line + "\r\n\"2\"\r\n"), std::nullopt) << c.name;
  // Fields after the sixth are not kept, so they may be as long as they like.
  const auto rows = readBack("h\n1,/a,,,,," + std::string(3 << 20, 'x') + "\n2\n");
  ASSERT_TRUE(rows);
  EXPECT_EQ(*rows, (Rows{{"1", "/a", "", "", "", ""}, {"2", "", "", "", "", ""}}));
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
