#pragma once
// Small helpers that every part of the program uses.

#include <cstdint>
#include <string>

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

// The decimal integer at the start of a text: blanks and tabs, an optional
// sign, then digits; 0 when there are none. Too many digits saturate.
int64_t parseLeadingInteger(const std::string& text);

// The text without the blanks (spaces only) at its start and end.
std::string trimBlanks(const std::string& text);

// Size of a path as the filters and the size pass see it: the byte count of a
// file (links followed), -1 when nothing is there, -2 for a folder.
inline constexpr int64_t kMissingPathSize = -1;
inline constexpr int64_t kFolderPathSize = -2;
int64_t readPathSize(const std::string& path);

}  // namespace zandrel
