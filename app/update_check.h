#pragma once
// "Check for updates": one plain HTTP GET to the maker's web host, the reply
// body saved to a temporary file whose first line is the newest version.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "engine/unique_fd.h"

namespace zandrel {

// Folder of the reply files, with a trailing "/"; empty until the first check.
extern std::string gTempFolder;

// The menu command. Asks, tells or reports in a message box; always 0.
int checkForUpdates();

// Non-zero when the network can be used. Sockets need no start-up here.
int initNetwork();

// Fetches an "http://host[:port]/path" address with one HTTP/1.1 GET and writes
// the reply body to the file, which is made when the first body byte is about
// to be written (replacing a plain file of that name, never following a
// symbolic link). Returns the number of body bytes written, 0 on any failure
// (a file that would not take every byte included).
int64_t downloadHttpFile(const std::string& address, const std::string& filePath);
// The same, with the file opened by createFile at that moment; an invalid
// descriptor, or a write the file refuses, fails the download. With
// firstLineOnly the body is saved only up to and with the first byte that ends
// a line for readTextLine, and the rest is not received.
int64_t downloadHttpFile(const std::string& address, const std::function<UniqueFd()>& createFile,
                         bool firstLineOnly = false);

// One line of an 8-bit text file, as UTF-8 (each byte is the ISO-8859-1
// character of its number). The line ends at CR, LF, CR LF, a zero byte or the
// end of the file; the end is consumed but not returned. At most maxBytes
// bytes are taken; the rest of a longer line stays unread.
std::string readTextLine(std::FILE* file, size_t maxBytes = SIZE_MAX);

}  // namespace zandrel
