#include "engine/text_order.h"

#include "engine/utf8.h"

#include <algorithm>
#include <cstdint>

namespace zandrel {
int compareUtf16(std::string_view a, std::string_view b) {
  // Skip the common prefix up to its last ASCII byte: no decoder ever takes an
  // ASCII byte into a longer sequence, so both texts are at a character
  // boundary right after it.
  const size_t common = std::min(a.size(), b.size());
  size_t mismatch = static_cast<size_t>(std::mismatch(a.begin(), a.begin() + common, b.begin()).first - a.begin());
  if (mismatch == common && a.size() == b.size()) return 0;
  size_t start = mismatch;
  while (start > 0 && static_cast<unsigned char>(a[start - 1]) >= 0x80) --start;

  Utf16Units ua(a, start);
  Utf16Units ub(b, start);
  while (!ua.atEnd() && !ub.atEnd()) {
    const uint16_t x = ua.next();
    const uint16_t y = ub.next();
    if (x != y) return x < y ? -1 : 1;
  }
  if (ua.atEnd() && ub.atEnd()) return 0;
  return ua.atEnd() ? -1 : 1;
}

}  // namespace zandrel
