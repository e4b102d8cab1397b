#pragma once
// Small helpers that every part of the program uses.

#include <cstdint>
#include <string>
#include <string_view>

namespace zandrel {

inline constexpr char kPathSeparator = '/';

// Size text of the Size column: "512 Byte", "1.50 KB", "600.01 MB", "2048.00 GB".
// The quotient is rounded to single precision before it is printed, which
// decides the last digit.
std::string formatFileSize(int64_t byteCount);

// The path with "/" appended unless it already ends in one; "" gives "/".
std::string addTrailingSeparator(const std::string& path);

// Absolute form of a path against the current folder: "." and ".." folded,
// repeated separators merged, a trailing separator kept. Nothing is checked on
// disk. When the current folder cannot be read, the path comes back unchanged.
std::string getFullPath(const std::string& path);

// The digits of the base (2 to 16) at the very start of a text: how many bytes
// they take, and their value, which stops at the ceiling instead of overflowing.
struct LeadingDigits {
  size_t length = 0;
  uint64_t value = 0;
};
LeadingDigits readLeadingDigits(std::string_view text, int base, uint64_t ceiling = UINT64_MAX);

// The digits of the base at the very start of a text as a signed number,
// negative when asked: too many digits saturate at INT64_MAX or INT64_MIN.
int64_t readSignedDigits(std::string_view text, int base, bool negative);

// The decimal integer at the very start of a text: an optional sign, then
// digits; 0 when there are none. Too many digits saturate.
int64_t parseSignedInteger(std::string_view text);
// The same after any blanks and tabs at the start.
int64_t parseLeadingInteger(std::string_view text);

// The text with every `from` replaced by `to`, left to right; what `to` brings
// in is not looked at again. An empty `from` changes nothing.
std::string replaceAll(std::string text, const std::string& from, const std::string& to);

// The text without the blanks (spaces only) at its start and end.
std::string trimBlanks(const std::string& text);

// Size of a path as the filters and the size pass see it: the byte count of a
// file (links followed), -1 when nothing is there, -2 for a folder.
inline constexpr int64_t kMissingPathSize = -1;
inline constexpr int64_t kFolderPathSize = -2;
int64_t readPathSize(const std::string& path);

}  // namespace zandrel
