#pragma once
// One UTF-8 decoder for every place that reads text bytes: the sort order, the
// INI reader and the packed results file all agree on what is a character.

#include <cstddef>
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
void appendLatin1(std::string& text, unsigned char byte);

}  // namespace zandrel
