#pragma once
// Delete, move and copy of one file by its real bytes. Nothing is ever lost: a
// copy goes to a hidden file beside the target and is renamed into place only
// when it is whole, and a failed or stopped copy leaves no trace.

#include <atomic>
#include <string>

namespace zandrel {

// Copy blocks are at most this large.
inline constexpr size_t kCopyBlockSize = 512000;

// True when the path names a regular file, links followed. A path holding a
// NUL byte names no file at all.
bool isRegularFile(const std::string& path);

// Removes the entry of a regular file, links followed for the test only: a
// link goes, never what it points to. Anything else at the path fails.
bool deleteFile(const std::string& path);

// Move and copy take only a regular file (links followed) and replace only a
// regular file or nothing at target: never a folder, device, pipe or socket,
// nor a link to one.
//
// Copies the content, replacing a file at target. A target that is the source
// itself (also through a link) succeeds without touching anything. Ends early
// and fails when stop becomes true between two blocks.
bool copyFile(const std::string& source, const std::string& target, const std::atomic<bool>& stop);

// Renames, replacing a file at target; across file systems copies, then
// deletes the source. Once the copy is whole, a stop no longer counts: the
// last steps run to their end, so a success is never taken for a failure. When the source cannot be deleted the copy goes again
// and the move fails, leaving an earlier file at target as it was.
bool moveFile(const std::string& source, const std::string& target, const std::atomic<bool>& stop);

// The folder (with a trailing "/") followed by the text after the last "/" of source.
std::string targetPathIn(const std::string& folder, const std::string& source);

}  // namespace zandrel
