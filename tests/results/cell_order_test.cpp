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

}  // namespace
}  // namespace zandrel
