#include "results/cell_order.h"

#include <limits>
#include <string_view>

#include "engine/shared_helpers.h"

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

}  // namespace zandrel
