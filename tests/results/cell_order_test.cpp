#include "results/cell_order.h"

#include <gtest/gtest.h>

#include <string>

namespace zandrel {
namespace {

TEST(ParseSizeText, GivesTheByteCountOfTheWholeNumber) {
  const struct {
    const char* text;
    const char* bytes;
  } cases[] = {
      {"512 Byte", "512"},          {"0 Byte", "0"},
      {"-3 Byte", "-3"},            {"1.99 KB", "1024"},
      {"1.01 KB", "1024"},          {"1023.99 KB", "1047552"},
      {"1.50 MB", "1048576"},       {"2048.00 GB", "2199023255552"},
      {"17", "17"},                 {"", ""},
      {"KB", "KB"},                 {"99999999999999999999 GB", "9223372036854775807"},
  };
  for (const auto& c : cases) EXPECT_EQ(parseSizeText(c.text), c.bytes) << c.text;
}

TEST(CompareCellTexts, SizesGroupsAndTextsInBothDirections) {
  const struct {
    const char* a;
    const char* b;
    int64_t type;
    int ascending;  // compareCellTexts(a, b) with kSortAscending
    int descending;
  } cases[] = {
      {"512 Byte", "1.00 KB", kSortSizeText, -1, 1},
      {"2", "10", kSortSizeText, -1, 1},   // groups by number
      {"2", "10", kSortText, 1, -1},       // the same texts as text
      {"1.99 KB", "1.01 KB", kSortSizeText, 1, 1},  // equal values, unequal texts
      {"1.01 KB", "1.99 KB", kSortSizeText, 1, 1},
      {"3 MB", "3 MB", kSortSizeText, 0, 0},
      {"Zebra", "apple", kSortText, -1, 1},  // every upper-case letter before every lower-case one
      {"abc", "abd", kSortText, -1, 1},
      {"ab", "abc", kSortText, -1, 1},       // a prefix comes first
      {"same", "same", kSortText, 0, 0},
      {"\xEF\xBC\xA1", "\xF0\x9F\x98\x80", kSortText, 1, -1},  // U+FF21 after U+1F600 in UTF-16
      {"B", "a", 1, -1, 1},                  // any other type compares text
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b);
    EXPECT_EQ(compareCellTexts(c.a, c.b, c.type, kSortAscending), c.ascending);
    EXPECT_EQ(compareCellTexts(c.a, c.b, c.type, kSortDescending), c.descending);
  }
}

}  // namespace
}  // namespace zandrel
