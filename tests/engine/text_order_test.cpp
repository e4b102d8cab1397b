#include "engine/text_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace zandrel {
namespace {

int sign(int value) { return (value > 0) - (value < 0); }

TEST(CompareUtf16, OrdersByCodeUnits) {
  const struct {
    std::string a, b;
    int expected;
  } cases[] = {
      {"", "", 0},
      {"", "a", -1},
      {"abc", "abc", 0},
      {"ab", "abc", -1},            // a prefix sorts first
      {"Z", "a", -1},               // upper case before lower case
      {"CRC32", "Check", -1},
      {"z", "\xC3\xA9", -1},        // ASCII before U+00E9
      {"\xEF\xBD\x81", "\xF0\x9F\x98\x80", 1},  // U+FF41 after U+1F600 in UTF-16, unlike UTF-8
      {"\xED\x9F\xBF", "\xF0\x9F\x98\x80", -1}, // U+D7FF before the surrogate pair
      {"a/\xC3\xA9x", "a/\xC3\xA9y", -1},      // differing after a shared multibyte character
      {"\xFF", "\xEE\x80\x80", -1},            // stray byte (U+DCFF) before U+E000
      {"\xFE", "\xFF", -1},
      {"\xF0\x9F\x98\x80", "\xFF", -1},        // high surrogate D83D before DCFF
  };
  for (const auto& c : cases) {
    EXPECT_EQ(sign(compareUtf16(c.a, c.b)), c.expected) << '"' << c.a << "\" vs \"" << c.b << '"';
    EXPECT_EQ(sign(compareUtf16(c.b, c.a)), -c.expected) << '"' << c.b << "\" vs \"" << c.a << '"';
  }
}

TEST(CompareUtf16, TruncatedSequenceIsAStrayByte) {
  // "\xC3" alone is not U+00C0..; it sorts as U+DCC3, after every BMP letter below U+D800.
  EXPECT_LT(compareUtf16("\xE2\x82\xAC", "\xC3"), 0);  // U+20AC before U+DCC3
  EXPECT_GT(compareUtf16("a\xC3", "a\xC3\xA9"), 0);    // U+DCC3 after U+00E9
}

TEST(CompareUtf16, SortsStably) {
  std::vector<std::pair<std::string, int>> items = {{"b", 0}, {"a", 1}, {"b", 2}, {"a", 3}};
  std::stable_sort(items.begin(), items.end(), [](const auto& x, const auto& y) { return utf16Less(x.first, y.first); });
  const std::vector<std::pair<std::string, int>> expected = {{"a", 1}, {"a", 3}, {"b", 0}, {"b", 2}};
  EXPECT_EQ(items, expected);
}

}  // namespace
}  // namespace zandrel
