#pragma once
// What sorting the results list by a column reads in its cells: the sort
// kinds and directions, and the byte count of a size text.

#include <cstdint>
#include <string>

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

}  // namespace zandrel
