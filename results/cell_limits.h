#pragma once
// The longest text each column of a results row can hold when the program
// itself wrote it. The importers refuse a file with a longer cell: such a
// file was not written by an export, and its cells could take any memory.

#include <climits>
#include <cstddef>

namespace zandrel {

// A group number is a count: 20 decimal digits hold any 64-bit one.
inline constexpr size_t kLongestGroupText = 20;
// The longest path the system opens, without its terminating NUL.
inline constexpr size_t kLongestPathText = PATH_MAX - 1;
// "-9223372036854775808 Byte", the longest text of a byte count.
inline constexpr size_t kLongestSizeText = 25;
inline constexpr size_t kLongestMd5Text = 32;
inline constexpr size_t kLongestSha1Text = 40;
inline constexpr size_t kLongestCrc32Text = 8;

// By column: Group, Filename, Size, MD5, SHA1, CRC32.
inline constexpr size_t kLongestCellText[6] = {kLongestGroupText, kLongestPathText, kLongestSizeText,
                                              kLongestMd5Text,   kLongestSha1Text, kLongestCrc32Text};

}  // namespace zandrel
