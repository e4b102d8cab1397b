#pragma once
// Reads and writes that a signal cannot cut short: a call that a signal
// interrupts before it moved a byte is made again.

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace zandrel {

// One read: the bytes read, 0 at the end of the file, -1 on an error.
ssize_t readSome(int fd, void* buffer, size_t size);

// Exactly size bytes; false when the file ends first or cannot be read.
bool readExactly(int fd, char* data, size_t size);

// Up to size bytes from the offset on, the position untouched: short only at
// the end of the file, -1 on an error.
ssize_t readFullyAt(int fd, char* data, size_t size, off_t offset);

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

// Gives the file source's owner and group where the process may, else the
// group alone where it may; true when it has both.
bool takeOwnerOf(int fd, const struct stat& source);
// Gives the file source's permission bits. Set-user-id, set-group-id and
// sticky come along only where the file has source's owner and group too:
// another user's set-id program never becomes one of whoever makes the copy.
// Called after the bytes are written, as a write may clear the set-id bits.
void takeModeOf(int fd, const struct stat& source);

}  // namespace zandrel
