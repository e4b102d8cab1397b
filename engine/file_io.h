#pragma once
// Reads and writes that a signal cannot cut short: a call that a signal
// interrupts before it moved a byte is made again.

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace zandrel {

// One read: the bytes read, 0 at the end of the file, -1 on an error.
ssize_t readSome(int fd, void* buffer, size_t size);

// Exactly size bytes; false when the file ends first or cannot be read.
bool readExactly(int fd, char* data, size_t size);

// Every byte, from the current position (writeAll) or from an offset, the
// position untouched (writeAllAt); false on an error or a write that takes nothing.
bool writeAll(int fd, std::string_view bytes);
bool writeAllAt(int fd, std::string_view bytes, off_t offset);

// The folder part of a path with its trailing "/"; "./" when there is none.
std::string folderOf(const std::string& path);

// Forces a folder's entries to disk, so a file made in it survives a power
// cut. A folder that cannot be opened for it, or a file system that cannot
// sync folders, is taken as it is; false only for a failed write.
bool syncFolder(const std::string& folder);

}  // namespace zandrel
