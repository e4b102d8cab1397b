#include "bridge/ui_strings.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/text_order.h"

namespace zandrel {
namespace {

TEST(UiStrings, AreInUtf16CodeUnitOrder) {
  for (int i = 1; i < kUiStringCount; ++i) {
    EXPECT_LT(compareUtf16(gUiStrings[i - 1], gUiStrings[i]), 0)
        << i - 1 << " \"" << gUiStrings[i - 1] << "\" before " << i << " \"" << gUiStrings[i] << "\"";
  }
}

TEST(UiStrings, KeepTheirIndices) {
  const struct {
    int index;
    const char* text;
  } cases[] = {
      {0, "A newer version * of Zandrel is available for download"},
      {10, "CRC32"},
      {20, "Couldn't import file *"},
      {22, "Couldn't save the settings in *"},
      {31, "Error"},
      {48, "Information"},
      {52, "MD5"},
      {58, "No duplicates found."},
      {83, "Search"},
      {108, "You already have the newest version"},
  };
  for (const auto& c : cases) EXPECT_STREQ(gUiStrings[c.index], c.text) << c.index;
}

TEST(UiStrings, OnlyThePlaceholderTextsHoldAStar) {
  for (int i = 0; i < kUiStringCount; ++i) {
    const bool placeholder = i == 0 || i == 20 || i == 22;
    EXPECT_EQ(std::strchr(gUiStrings[i], '*') != nullptr, placeholder) << i;
  }
}

TEST(UiText, StartsEmpty) {
  for (const std::string& text : gUiText) EXPECT_TRUE(text.empty());
}

}  // namespace
}  // namespace zandrel
