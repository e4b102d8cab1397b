#pragma once
// One UTF-8 decoder for every place that reads text bytes: the sort order, the
// INI reader and the packed results file all agree on what is a character.

#include <cstddef>
#include <string_view>

namespace zandrel {

// Length of the shortest-form UTF-8 sequence of one scalar value starting at
// pos (1 for ASCII), its value stored in codePoint; 0 when the bytes there are
// no such sequence (stray or truncated bytes, overlong forms, surrogates,
// values beyond U+10FFFF).
size_t utf8SequenceAt(std::string_view text, size_t pos, char32_t& codePoint);

}  // namespace zandrel
