#include "results/cell_order.h"

#include <limits>

#include "engine/text_order.h"

namespace zandrel {
namespace {

constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();

// The optional sign and digits at the start; out-of-range values saturate.
int64_t leadingInteger(std::string_view text) {
  size_t pos = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) pos = 1;
  int64_t value = 0;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    const int digit = text[pos] - '0';
    if (value > (kMax - digit) / 10) return negative ? kMin : kMax;
    value = value * 10 + digit;
  }
  return negative ? -value : value;
}

std::string without(std::string text, std::string_view unit) {
  for (size_t at = text.find(unit); at != std::string::npos; at = text.find(unit, at)) text.erase(at, unit.size());
  return text;
}

int64_t times(int64_t value, int64_t factor) {
  if (value > kMax / factor) return kMax;
  if (value < kMin / factor) return kMin;
  return value * factor;
}

}  // namespace

std::string parseSizeText(const std::string& text) {
  if (text.find(" Byte") != std::string::npos) return without(text, " Byte");
  constexpr struct {
    std::string_view unit;
    int64_t factor;
  } kUnits[] = {{" KB", int64_t{1} << 10}, {" MB", int64_t{1} << 20}, {" GB", int64_t{1} << 30}};
  for (const auto& [unit, factor] : kUnits) {
    if (text.find(unit) != std::string::npos) return std::to_string(times(leadingInteger(without(text, unit)), factor));
  }
  return text;
}

int compareCellTexts(std::string_view a, std::string_view b, int64_t sortType, int64_t direction) {
  if (a == b) return 0;
  if (sortType == kSortSizeText) {
    const int64_t first = leadingInteger(parseSizeText(std::string(a)));
    const int64_t second = leadingInteger(parseSizeText(std::string(b)));
    if (direction == kSortAscending) return first < second ? -1 : 1;
    return second < first ? -1 : 1;
  }
  const int order = direction == kSortAscending ? compareUtf16(a, b) : compareUtf16(b, a);
  return (order > 0) - (order < 0);
}

}  // namespace zandrel
