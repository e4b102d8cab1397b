#include "engine/text_order.h"

#include "engine/utf8.h"

#include <algorithm>
#include <cstdint>

namespace zandrel {
namespace {

// Walks a UTF-8 text and yields its UTF-16 code units one at a time.
class Utf16Units {
 public:
  Utf16Units(std::string_view text, size_t start) : text_(text), pos_(start) {}

  bool atEnd() const { return pending_ == 0 && pos_ >= text_.size(); }

  uint16_t next() {
    if (pending_ != 0) {
      const uint16_t unit = pending_;
      pending_ = 0;
      return unit;
    }
    const uint32_t cp = decode();
    if (cp >= 0x10000) {
      const uint32_t v = cp - 0x10000;
      pending_ = static_cast<uint16_t>(0xDC00 + (v & 0x3FF));
      return static_cast<uint16_t>(0xD800 + (v >> 10));
    }
    return static_cast<uint16_t>(cp);
  }

 private:
  uint32_t decode() {
    char32_t cp = 0;
    if (const size_t length = utf8SequenceAt(text_, pos_, cp)) {
      pos_ += length;
      return cp;
    }
    return 0xDC00 + static_cast<unsigned char>(text_[pos_++]);  // a stray byte, 0xDC80 to 0xDCFF
  }

  std::string_view text_;
  size_t pos_;
  uint16_t pending_ = 0;
};

}  // namespace

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
