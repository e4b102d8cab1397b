#pragma once
// One UTF-8 decoder for every place that reads text bytes: the sort order, the
// INI reader and the packed results file all agree on what is a character.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zandrel {

// Length of the shortest-form UTF-8 sequence of one scalar value starting at
// pos (1 for ASCII), its value stored in codePoint; 0 when the bytes there are
// no such sequence (stray or truncated bytes, overlong forms, surrogates,
// values beyond U+10FFFF).
size_t utf8SequenceAt(std::string_view text, size_t pos, char32_t& codePoint);

// Appends the ISO-8859-1 character of the byte (the code point of its number)
// in UTF-8: one byte below 0x80, two above.
inline void appendLatin1(std::string& text, unsigned char byte) {
  if (byte < 0x80) {
    text += static_cast<char>(byte);
  } else {
    text += static_cast<char>(0xC0 | (byte >> 6));
    text += static_cast<char>(0x80 | (byte & 0x3F));
  }
}

// Appends one code point in UTF-8.
void appendUtf8(std::string& text, uint32_t codePoint);

// Walks a UTF-8 text and yields its UTF-16 code units one at a time. A byte
// that starts no valid sequence yields 0xDC00 plus the byte (0xDC80 to
// 0xDCFF), a lone low surrogate that turns back into that byte.
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


}  // namespace zandrel
