#pragma once
// The order of two cells of one column, for sorting the results list by it.

#include <cstdint>
#include <string>
#include <string_view>

namespace zandrel {

// Sort types: cells compared as text, or as size texts (a plain number passes
// the size conversion unchanged, so groups sort by their number).
inline constexpr int64_t kSortText = 0;
inline constexpr int64_t kSortSizeText = 3;
// Directions: ascending (up arrow) and descending (down arrow).
inline constexpr int64_t kSortAscending = 0;
inline constexpr int64_t kSortDescending = 1;

// A size text back to a decimal byte count: " Byte" taken out; or " KB",
// " MB" or " GB" taken out and the whole number before the fraction times
// 2^10, 2^20 or 2^30 (so 1.99 KB and 1.01 KB both give "1024"); any other text
// unchanged. Units are looked for in that order.
std::string parseSizeText(const std::string& text);

// -1 when the row holding a comes first, 1 when it comes after, 0 only when
// both texts are the same. Text: case-sensitive by UTF-16 code unit. Size
// text: by the leading whole numbers of parseSizeText; unequal texts of equal
// value give 1 either way round.
int compareCellTexts(std::string_view a, std::string_view b, int64_t sortType, int64_t direction);

}  // namespace zandrel
