#include "results/cell_order.h"

#include <limits>

#include "engine/shared_helpers.h"
#include "engine/text_order.h"

namespace zandrel {
namespace {

constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();

int64_t times(int64_t value, int64_t factor) {
  if (value > kMax / factor) return kMax;
  if (value < kMin / factor) return kMin;
  return value * factor;
}

}  // namespace

std::string parseSizeText(const std::string& text) {
  if (text.find(" Byte") != std::string::npos) return replaceAll(text, " Byte", "");
  constexpr struct {
    std::string_view unit;
    int64_t factor;
  } kUnits[] = {{" KB", int64_t{1} << 10}, {" MB", int64_t{1} << 20}, {" GB", int64_t{1} << 30}};
  for (const auto& [unit, factor] : kUnits) {
    if (text.find(unit) != std::string::npos) return std::to_string(times(parseSignedInteger(replaceAll(text, std::string(unit), "")), factor));
  }
  return text;
}

int compareCellTexts(std::string_view a, std::string_view b, int64_t sortType, int64_t direction) {
  if (a == b) return 0;
  if (sortType == kSortSizeText) {
    const int64_t first = parseSignedInteger(parseSizeText(std::string(a)));
    const int64_t second = parseSignedInteger(parseSizeText(std::string(b)));
    if (direction == kSortAscending) return first < second ? -1 : 1;
    return second < first ? -1 : 1;
  }
  const int order = direction == kSortAscending ? compareUtf16(a, b) : compareUtf16(b, a);
  return (order > 0) - (order < 0);
}

}  // namespace zandrel
