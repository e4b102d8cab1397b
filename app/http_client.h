#pragma once
// A small HTTP/1.1 client: one GET over a fresh connection, the reply body
// written to a file. Every wait has its limit, and so have the reply's status
// and header lines, chunk size lines and the body itself, so a slow or hostile
// server cannot hold the caller for ever or fill the disk.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "engine/unique_fd.h"

namespace zandrel {

// Fetches an "http://host[:port]/path" address with one HTTP/1.1 GET and writes
// the reply body to the file, which is made when the first body byte is about
// to be written (replacing a plain file of that name, never following a
// symbolic link). Returns the number of body bytes written, 0 on any failure
// (a file that would not take every byte included).
int64_t downloadHttpFile(const std::string& address, const std::string& filePath);
// The same, with the file opened by createFile at that moment; an invalid
// descriptor, or a write the file refuses, fails the download. With
// firstLineBytes the body is saved only up to and with the first byte that
// ends a line (LF, CR or a zero byte), and no further than one byte past
// firstLineBytes: enough for a reader that takes at most that many bytes of
// the line to read the same line. The rest is not received.
int64_t downloadHttpFile(const std::string& address, const std::function<UniqueFd()>& createFile,
                         std::optional<size_t> firstLineBytes = std::nullopt);

}  // namespace zandrel
