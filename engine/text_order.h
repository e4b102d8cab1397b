#pragma once
// Text order shared by every sort of the program: UTF-8 text compared as if
// it were UTF-16, code unit by code unit. It differs from byte order only for
// characters from U+E000 to U+FFFF, which UTF-16 puts after the supplementary
// planes. Bytes that are not valid UTF-8 (file names are bytes) count as the
// lone low surrogate U+DC80 + (byte - 0x80), so every text has a fixed place.

#include <string_view>

namespace zandrel {

// Negative, zero or positive as a sorts before, equal to, or after b.
int compareUtf16(std::string_view a, std::string_view b);

inline bool utf16Less(std::string_view a, std::string_view b) { return compareUtf16(a, b) < 0; }

}  // namespace zandrel
