// The packed results file: its exact bytes, its text, the reader's checks and
// the parser, without a window.

#include "results/packed_results.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <random>

#include "engine/text_order.h"
#include "results/lzma_packer.h"
#include "tests/support/temp_dir.h"

namespace zandrel {
namespace {

const std::string kStar = "<star>";
const std::string kNewline = "<lf>";

std::string hexOf(std::string_view bytes) {
  std::string hex;
  char digits[4];
  for (unsigned char byte : bytes) {
    std::snprintf(digits, sizeof digits, "%02X ", byte);
    hex += digits;
  }
  if (!hex.empty()) hex.pop_back();
  return hex;
}

std::string utf16(std::u16string_view text) {
  std::string bytes;
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

uint32_t fieldAt(std::string_view bytes, size_t offset) {
  uint32_t value = 0;
  for (size_t i = 4; i-- > 0;) value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
  return value;
}

void setField(std::string& bytes, size_t offset, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t crcOf(std::string_view bytes) {
  return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

// The reader's whole road: file bytes to rows.
std::optional<ResultsRows> readBack(const std::string& file) {
  const std::optional<std::string> text = unpackResultsFile(file);
  if (!text) return std::nullopt;
  ImportCells cells;
  if (!parseNativeImport(*text, cells)) return std::nullopt;
  return rowsFromImportCells(cells, kStar, kNewline);
}

std::vector<std::string> strings(const ImportCells& cells) {
  std::vector<std::string> all;
  for (size_t i = 0; i < cells.size(); ++i) all.emplace_back(cells[i]);
  return all;
}

std::vector<std::string> cellsOf(std::u16string_view text) {
  ImportCells cells;
  EXPECT_TRUE(parseNativeImport(utf16(text), cells));
  return strings(cells);
}

TEST(PackedResultsFileTest, OneRowGivesTheseBytes) {
  const ResultsRows rows = {{"1", "/caf\xC3\xA9*b\nc", "5 Byte", "", "", "1F"}};
  const std::string text = buildPackedText(rows, kStar, kNewline);
  EXPECT_EQ(text, utf16(u"0-0*1\n0-1*/caf\u00E9<star>b<lf>c\n0-2*5 Byte\n0-3*\n0-4*\n0-5*1F\n"));

  const std::string file = packResultsFile(text);
  ASSERT_GE(file.size(), kPackedFrameSize + kLzmaPropsSize);
  const uint32_t packedSize = fieldAt(file, 4);
  EXPECT_EQ(fieldAt(file, 0), 0xFFFFFFFFu);
  EXPECT_EQ(file.size(), packedSize + 16);
  EXPECT_EQ(fieldAt(file, 8), text.size());
  const std::string_view block = std::string_view(file).substr(12, packedSize);
  EXPECT_EQ(hexOf(block.substr(0, 5)), "5D 00 00 00 01");
  EXPECT_EQ(fieldAt(file, 12 + packedSize), crcOf(block));
  // The SDK's one-call defaults, pinned; xz's own LZMA decoder reads this stream back as the text.
  EXPECT_EQ(hexOf(file),
            "FF FF FF FF 4A 00 00 00 70 00 00 00 5D 00 00 00 01 00 18 00 01 D8 F8 32 "
            "61 FD 1F 20 FA A4 EA FB 9F D9 6A DE 3B B3 8C 05 A7 97 11 C7 16 EE C4 25 "
            "D8 22 B6 B2 AE FC 46 A7 A5 C6 88 C2 6A C7 33 8B 5B A1 B9 C5 29 C2 21 93 "
            "B2 E4 0E 68 77 BF EE DE 3E 72 02 60 00 00 19 E7 DE 7E");
  EXPECT_EQ(unpackResultsFile(file), text);
}

TEST(PackedResultsFileTest, RowsAreNumberedInListOrderAndOnlyFileNamesAreEscaped) {
  const ResultsRows rows = {{"1", "/x", "1 Byte", "m*d", "", "7"}, {"1", "/*\n*", "1 Byte"}};
  EXPECT_EQ(buildPackedText(rows, kStar, kNewline),
            utf16(u"0-0*1\n0-1*/x\n0-2*1 Byte\n0-3*m*d\n0-4*\n0-5*7\n"
                  u"1-0*1\n1-1*/<star><lf><star>\n1-2*1 Byte\n1-3*\n1-4*\n1-5*\n"));
}

TEST(PackedResultsFileTest, TextSurvivesTheTripThroughUtf16) {
  struct Case {
    const char* name;
    std::string utf8;
    std::u16string units;
  };
  const std::vector<Case> cases = {
      {"ascii", "/a b", u"/a b"},
      {"two bytes", "\xC3\xA9", u"\u00E9"},
      {"three bytes", "\xE2\x82\xAC", u"\u20AC"},
      {"private use", "\xEE\x80\x80", u"\uE000"},
      {"four bytes", "\xF0\x9F\x98\x80", u"\xD83D\xDE00"},
      {"stray byte", "a\xFF" "b", u"a\xDCFF" u"b"},
      {"cut sequence", "\xE2\x82", u"\xDCE2\xDC82"},
      {"overlong", "\xC0\xAF", u"\xDCC0\xDCAF"},
      {"encoded surrogate", "\xED\xA0\x80", u"\xDCED\xDCA0\xDC80"},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\xDCF4\xDC90\xDC80\xDC80"},
      {"nul", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(utf8ToUtf16le(c.utf8), utf16(c.units)) << c.name;
    EXPECT_EQ(utf16leToUtf8(utf16(c.units)), c.utf8) << c.name;
  }
  // Surrogates that no UTF-8 text gives read as U+FFFD; half a unit is dropped.
  EXPECT_EQ(utf16leToUtf8(utf16(u"\xD800" u"a\xDC00\xDE00")), "\xEF\xBF\xBD" "a\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(utf16leToUtf8(utf16(u"ab") + "c"), "ab");

  // The units sort as the program sorts texts.
  std::vector<std::string> texts;
  for (const Case& c : cases) texts.push_back(c.utf8);
  std::vector<std::string> byUnits = texts;
  std::sort(texts.begin(), texts.end(), utf16Less);
  std::sort(byUnits.begin(), byUnits.end(), [](const std::string& a, const std::string& b) {
    const std::u16string ua = [&] {
      const std::string bytes = utf8ToUtf16le(a);
      return std::u16string(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
    }();
    const std::string bytes = utf8ToUtf16le(b);
    return ua < std::u16string(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
  });
  EXPECT_EQ(byUnits, texts);
}

TEST(PackedResultsFileTest, RowsComeBackAsTheyWent) {
  const ResultsRows rows = {
      {"1", "/data/star*and\nline feed", "12 Byte", "", "da39a3ee5e6b4b0d3255bfef95601890afd80709", "1A2B"},
      {"1", "/data/bad\xFF\xC3 byte", "12 Byte", "d41d8cd98f00b204e9800998ecf8427e", "", ""},
      {"2", " /lead and trail \r", "1.50 KB", "", "", "0"},
      {"2", "/a-b/c-", "1.50 KB", "m", "s", "c"},
      {"3", "", "3 Byte", "", "", "c"},
  };
  EXPECT_EQ(readBack(packResultsFile(buildPackedText(rows, kStar, kNewline))), rows);
}

TEST(PackedResultsFileTest, ParserKeepsSixCellsPerRowAndDropsRowsWithoutGroup) {
  struct Case {
    const char* name;
    std::u16string text;
    std::vector<std::string> cells;
  };
  const std::vector<Case> cases = {
      {"empty hash cells become placeholders", u"0-0*1\n0-1*/a\n0-2*1 Byte\n0-3*\n0-4*\n0-5*\n",
       {"1", "/a", "1 Byte", "*", "*", "*"}},
      {"a dash empties the other cells, not the name",
       u"0-0*1\n0-1*/a-b\n0-2*-1 Byte\n0-3*m-d\n0-4*s\n0-5*c-1\n", {"1", "/a-b", "*", "*", "s", "*"}},
      {"empty group drops its row",
       u"0-0*1\n0-1*/a\n0-2*1\n0-3*m\n0-4*s\n0-5*c\n1-0*\n1-1*/b\n1-2*2\n1-3*m\n1-4*s\n1-5*c\n"
       u"2-0*1\n2-1*/c\n2-2*3\n2-3*m\n2-4*s\n2-5*c\n",
       {"1", "/a", "1", "m", "s", "c", "1", "/c", "3", "m", "s", "c"}},
      {"group of blanks drops its row too", u"0-0*  \n0-1*/b\n0-2*2\n0-3*m\n0-4*s\n0-5*c\n", {}},
      {"blanks and carriage returns around the group go", u"0-0* 7 \r\n0-1*/a\n0-2*1\n0-3*\n0-4*\n0-5*\n",
       {"7", "/a", "1", "*", "*", "*"}},
      {"row and column numbers are not read", u"9-9*1\n0-0*/a\n5-1*1\n3-3*m\n0-0*s\n7-7*c\n",
       {"1", "/a", "1", "m", "s", "c"}},
      {"text cut inside a row", u"0-0*1\n0-1*/a\n0-2", {"1", "/a"}},
      {"no star at all", u"just text\n", {}},
      {"stars in a row are one", u"0-0**1\n0-1*/a\n0-2*1\n0-3*m\n0-4*s\n0-5*c\n", {"1", "/a", "1", "m", "s", "c"}},
  };
  for (const Case& c : cases) EXPECT_EQ(cellsOf(c.text), c.cells) << c.name;
}

TEST(PackedResultsFileTest, RowsEndWhereTheGroupsStopCounting) {
  const auto groups = [](std::vector<std::string> firstCells) {
    ImportCells cells;
    for (const std::string& group : firstCells) {
      for (const std::string& cell : {group, std::string("/f"), std::string("1"), std::string("*"),
                                      std::string("*"), std::string("c")}) {
        cells.push_back(cell);
      }
    }
    std::vector<std::string> kept;
    const std::optional<ResultsRows> rows = rowsFromImportCells(cells, kStar, kNewline);
    for (const auto& row : rows.value()) kept.push_back(row[0]);
    return kept;
  };
  using Groups = std::vector<std::string>;
  EXPECT_EQ(groups({"1", "1", "2", "3", "3"}), (Groups{"1", "1", "2", "3", "3"}));
  EXPECT_EQ(groups({"0", "1", "1"}), (Groups{"0", "1", "1"}));
  EXPECT_EQ(groups({"2", "2"}), Groups{});
  EXPECT_EQ(groups({"1", "3"}), Groups{"1"});
  EXPECT_EQ(groups({"1", "2", "1"}), (Groups{"1", "2"}));
  EXPECT_EQ(groups({"1", "0"}), Groups{"1"});
  EXPECT_EQ(groups({"1", "group"}), Groups{"1"});
  EXPECT_EQ(groups({"1", "", "1"}), Groups{"1"});
  EXPECT_EQ(groups({"1", "*", "2"}), (Groups{"1", "2"}));

  // Placeholders leave their cells empty, and a last row may be short.
  const auto rows = rowsFromImportCells({"1", "/a<star>", "*", "*", " * ", "c", "1", "/b"}, kStar, kNewline);
  EXPECT_EQ(rows, (ResultsRows{{"1", "/a*", "", "", "", "c"}, {"1", "/b", "", "", "", ""}}));
}

// Past the most rows an import takes the cells are refused, the rows before
// given; a row of placeholders makes no row and does not count.
TEST(PackedResultsFileTest, RowsBeyondTheMostTakenRefuseTheCells) {
  ImportCells cells;
  for (const char* group : {"1", "*", "1", "2"}) {
    for (const char* cell : {group, "/f", "1", "*", "*", "c"}) cells.push_back(cell);
  }
  const struct {
    size_t mostRows;
    bool taken;
    std::vector<std::string> given;  // group cells of the rows given
  } cases[] = {
      {3, true, {"1", "1", "2"}},
      {SIZE_MAX, true, {"1", "1", "2"}},
      {2, false, {"1", "1"}},
      {0, false, {}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> given;
    const auto take = [&given](const std::vector<std::string>& row) { given.push_back(row[0]); };
    EXPECT_EQ(forEachImportRow(cells, kStar, kNewline, take, c.mostRows), c.taken) << c.mostRows;
    EXPECT_EQ(given, c.given) << c.mostRows;
  }
}

TEST(PackedResultsFileTest, ParserStopsWhenAskedOrWhenCellsComeTooClose) {
  ResultsRows rows(5000, {"1", "/file", "1 Byte", "m", "s", "c"});
  const std::string text = buildPackedText(rows, kStar, kNewline);
  ImportCells all;
  EXPECT_TRUE(parseNativeImport(text, all));
  EXPECT_EQ(all.size(), 30000u);
  const std::atomic<bool> stop{true};
  ImportCells partial;
  EXPECT_TRUE(parseNativeImport(text, partial, &stop));
  EXPECT_LT(partial.size(), all.size());

  // One-unit cells, which no export writes, would cost far more than the text.
  std::u16string dense;
  for (int i = 0; i < 1000; ++i) dense += u"*1";
  EXPECT_EQ(cellsOf(dense).size(), 500u);
}

// Cells no export writes could take any memory: the whole file is refused.
TEST(PackedResultsFileTest, CellsLongerThanTheirColumnRefuseTheFile) {
  const auto text = [](const std::vector<std::string>& cells) {
    return buildPackedText({cells, {"1", "/b", "1 Byte", "", "", "c"}}, kStar, kNewline);
  };
  const std::string longestPath = "/" + std::string(PATH_MAX - 2, 'p');
  const std::string hash(40, 'a');
  ASSERT_TRUE(readBack(packResultsFile(text({"1", longestPath, "12.00 GB", hash.substr(0, 32), hash, "ABCDEF01"}))));
  struct Case {
    const char* name;
    std::vector<std::string> cells;
  };
  const std::vector<Case> cases = {
      {"group", {std::string(21, '1'), "/a"}},
      {"file name", {"1", longestPath + "x"}},
      {"file name of stars", {"1", std::string(PATH_MAX, '*')}},
      {"size", {"1", "/a", std::string(26, '9')}},
      {"md5", {"1", "/a", "1 Byte", hash.substr(0, 33)}},
      {"sha1", {"1", "/a", "1 Byte", "", hash + "a"}},
      {"crc32", {"1", "/a", "1 Byte", "", "", "123456789"}},
      {"hundred thousand", {"1", "/" + std::string(100000, 'n')}},
  };
  for (const Case& c : cases) EXPECT_EQ(readBack(packResultsFile(text(c.cells))), std::nullopt) << c.name;

  // A stray byte is one unit but comes back as one byte: measured as it comes back.
  EXPECT_TRUE(readBack(packResultsFile(text({"1", std::string(PATH_MAX - 1, '\xFF')}))));
  // A row the parser drops is not looked at.
  EXPECT_TRUE(readBack(packResultsFile(text({"", std::string(PATH_MAX + 10, 'x')}))));
}

// A good file, then each way it can be damaged.
TEST(PackedResultsFileTest, DamagedFilesAreRefused) {
  const ResultsRows rows = {{"1", "/a", "1 Byte", "m", "s", "c"}, {"1", "/b", "1 Byte", "m", "s", "c"}};
  const std::string text = buildPackedText(rows, kStar, kNewline);
  const std::string good = packResultsFile(text);
  ASSERT_EQ(unpackResultsFile(good), text);
  const size_t packedSize = good.size() - 16;
  const auto with = [&](auto change) {
    std::string bytes = good;
    change(bytes);
    return bytes;
  };
  const auto sizes = [&](int32_t packed, int32_t unpacked, bool fixCrc = true) {
    return with([&](std::string& bytes) {
      setField(bytes, 4, static_cast<uint32_t>(packed));
      setField(bytes, 8, static_cast<uint32_t>(unpacked));
      if (fixCrc) setField(bytes, bytes.size() - 4, crcOf(std::string_view(bytes).substr(12, packedSize)));
    });
  };
  std::mt19937 random(3);
  std::string garbage(packedSize, '\0');
  for (char& byte : garbage) byte = static_cast<char>(random());

  const int32_t packed = static_cast<int32_t>(packedSize);
  const int32_t unpacked = static_cast<int32_t>(text.size());
  struct Case {
    const char* name;
    std::string bytes;
  };
  const std::vector<Case> cases = {
      {"empty", ""},
      {"one byte", "\x01"},
      {"12 zero bytes", std::string(12, '\0')},
      {"16 zero bytes", std::string(16, '\0')},
      {"header only", good.substr(0, 12)},
      {"cut short by one byte", good.substr(0, good.size() - 1)},
      {"wrong CRC", with([](std::string& bytes) { bytes.back() ^= 1; })},
      {"block altered", with([&](std::string& bytes) { bytes[12 + packedSize / 2] ^= 0x40; })},
      {"no leading -1 field", good.substr(4)},
      {"negative packed size", sizes(-1, unpacked)},
      {"zero packed size", sizes(0, unpacked)},
      {"packed size beyond the file", sizes(packed + 1, unpacked)},
      {"packed size short of the file", sizes(packed - 1, unpacked)},
      {"packed size huge", sizes(0x7FFFFFFF, unpacked)},
      {"negative text size", sizes(packed, -2)},
      {"zero text size", sizes(packed, 0)},
      {"text size huge", sizes(packed, 0x7FFFFFFF)},
      {"text size past the packing ratio", sizes(packed, packed * 4096 + 1)},
      {"text size the block does not reach", sizes(packed, unpacked + 2)},
      {"text size short of the block's end", sizes(packed, unpacked - 2)},
      {"block larger than its text could give", sizes(packed, packed - 129)},
      {"garbage with a matching CRC", with([&](std::string& bytes) {
         bytes.replace(12, packedSize, garbage);
         setField(bytes, bytes.size() - 4, crcOf(garbage));
       })},
      {"garbage after good properties", with([&](std::string& bytes) {
         bytes.replace(17, packedSize - 5, garbage.substr(5));
         setField(bytes, bytes.size() - 4, crcOf(std::string_view(bytes).substr(12, packedSize)));
       })},
      {"properties no decoder takes", with([&](std::string& bytes) {
         bytes[12] = static_cast<char>(0xE1);
         setField(bytes, bytes.size() - 4, crcOf(std::string_view(bytes).substr(12, packedSize)));
       })},
  };
  for (const Case& c : cases) EXPECT_EQ(unpackResultsFile(c.bytes), std::nullopt) << c.name;
}

// The block of a file for this text, its stream ending in an end marker.
std::string fileWithEndMarker(const std::string& text) {
  LzmaSettings settings;
  settings.endMarker = true;
  std::string file = packResultsFile(text, settings);
  // A failed packing leaves only the frame.
  EXPECT_GT(file.size(), kPackedFrameSize);
  return file;
}

TEST(PackedResultsFileTest, FilesOtherWritersLeaveAreRead) {
  const std::string text = buildPackedText({{"1", "/a", "1 Byte", "m", "s", "c"}}, kStar, kNewline);
  const std::string good = packResultsFile(text);
  // Bytes after the CRC are not looked at.
  EXPECT_EQ(unpackResultsFile(good + '\0'), text);
  EXPECT_EQ(unpackResultsFile(good + std::string(5000, 'x')), text);
  // A stream with an end marker after exactly the text.
  const std::string marked = fileWithEndMarker(text);
  ASSERT_NE(marked.size(), good.size());
  EXPECT_EQ(unpackResultsFile(marked), text);
  // But a marker that comes before the text size is reached is refused, as is one the size stops short of.
  std::string early = marked;
  setField(early, 8, static_cast<uint32_t>(text.size() + 2));
  EXPECT_EQ(unpackResultsFile(early), std::nullopt);
  std::string late = marked;
  setField(late, 8, static_cast<uint32_t>(text.size() - 2));
  EXPECT_EQ(unpackResultsFile(late), std::nullopt);
}

class PackedResultsDiskTest : public testing::TempDirTest {};

TEST_F(PackedResultsDiskTest, WritesAndReadsFilesAndRefusesWhatIsNotOne) {
  const std::string text = buildPackedText({{"1", "/a", "1 Byte", "", "", "c"}}, kStar, kNewline);
  const std::string file = path("results.zrl");
  writeFile("results.zrl", "an older and much longer content that must go entirely");
  ASSERT_TRUE(writePackedResultsFile(file, packResultsFile(text)));
  EXPECT_EQ(testing::readAll(file), packResultsFile(text));
  EXPECT_EQ(readPackedResultsFile(file), text);

  EXPECT_FALSE(writePackedResultsFile(path("missing/folder/file"), "x"));
  std::filesystem::create_symlink(path("gone"), path("dangling"));
  EXPECT_EQ(readPackedResultsFile(path("dangling")), std::nullopt);
  EXPECT_EQ(readPackedResultsFile(makeFolder("folder")), std::nullopt);
  // Only the header and the block are read: what follows may be long.
  const std::string longer = writeFile("longer", packResultsFile(text));
  std::filesystem::resize_file(longer, (uintmax_t{1} << 30) + 1024);
  EXPECT_EQ(readPackedResultsFile(longer), text);
  // A header whose block the file does not hold.
  std::string cut = packResultsFile(text);
  cut.resize(cut.size() - 1);
  EXPECT_EQ(readPackedResultsFile(writeFile("cut", cut)), std::nullopt);
  const std::string fifo = path("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(readPackedResultsFile(fifo), std::nullopt);
}

}  // namespace
}  // namespace zandrel
