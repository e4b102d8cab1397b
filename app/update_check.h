#pragma once
// "Check for updates": one plain HTTP GET to the maker's web host, the reply
// body saved to a temporary file whose first line is the newest version.

#include <cstdint>
#include <cstdio>
#include <string>

namespace zandrel {

// Folder of the reply files, with a trailing "/"; empty until the first check.
extern std::string gTempFolder;

// The menu command. Asks, tells or reports in a message box; always 0.
int checkForUpdates();

// One line of an 8-bit text file, as UTF-8 (each byte is the ISO-8859-1
// character of its number). The line ends at CR, LF, CR LF, a zero byte or the
// end of the file; the end is consumed but not returned. At most maxBytes
// bytes are taken; the rest of a longer line stays unread.
std::string readTextLine(std::FILE* file, size_t maxBytes = SIZE_MAX);

}  // namespace zandrel
