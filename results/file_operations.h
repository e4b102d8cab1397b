#pragma once
// Delete, move and copy of one file by its real bytes. Nothing is ever lost: a
// copy goes to a hidden file beside the target and is put in place only when
// it is whole, a failed or stopped copy leaves no trace, and a move never
// takes the name of another file.

#include <sys/stat.h>
#include <sys/types.h>

#include <atomic>
#include <functional>
#include <string>

#include "engine/file_id.h"
#include "engine/unique_fd.h"

namespace zandrel {

// Copy blocks are at most this large.
inline constexpr size_t kCopyBlockSize = 512000;

// True when the path names a regular file, links followed. A path holding a
// NUL byte names no file at all.
bool isRegularFile(const std::string& path);

// Removes the entry of a regular file, links followed for the test only: a
// link goes, never what it points to. Anything else at the path fails.
bool deleteFile(const std::string& path);

// Move and copy take only a regular file (links followed). A target that is
// the source itself (also through a link) succeeds without touching anything.
//
// Copies the content, replacing only a regular file or a dangling link at
// target: never a folder, device, pipe or socket, nor a link to one. Ends
// early and fails when stop becomes true between two blocks.
bool copyFile(const std::string& source, const std::string& target, const std::atomic<bool>& stop);

// Gives the file the target name only where nothing at all is there, not even
// a dangling link. Across file systems the file is copied beside the target,
// the copy takes the name, and only then is the source deleted, and only when
// its path still names the file that was copied, unchanged since the copy
// began; when the source cannot go, the copy goes again and the move fails,
// so a file saved or written meanwhile stays where it was. Once the copy is
// whole, a stop no longer counts: the last steps run to their end, so a
// success is never taken for a failure.
bool moveFile(const std::string& source, const std::string& target, const std::atomic<bool>& stop);

// The folder (with a trailing "/") followed by the text after the last "/" of source.
std::string targetPathIn(const std::string& folder, const std::string& source);

enum class NoReplaceRename { Done, OtherFileSystem, Refused };

// Renames only where nothing is at `to`, the look and the rename one step of
// the system's (RENAME_NOREPLACE). Where the file system or the kernel does
// not know that flag, falls back to linkThenUnlink.
NoReplaceRename renameNoReplace(const std::string& from, const std::string& to);
// The same by a hard link, which never replaces anything, and the unlink of
// `from`. A file system without hard links refuses it: the rename fails
// rather than replace.
NoReplaceRename linkThenUnlink(const std::string& from, const std::string& to);

// For tests of a file system that does not know RENAME_NOREPLACE: while error
// is not 0, that rename is not tried and fails with error. 0 ends it.
void refuseNoReplaceRenameWith(int error);
// For tests of a source that changes while it is copied: runs on the copying
// thread after each block written. An empty function ends it.
void runAfterEachCopyBlock(std::function<void()> hook);

// A whole copy of a regular file, waiting in a hidden file beside its target
// until it is put there; the hidden file goes unless it was. copyFile and a
// move across file systems are made of these steps. The copy has the
// source's permission bits; its owner and group where the process may give
// them, and the set-id and sticky bits only along with both.
class StagedCopy {
 public:
  // Copies source (links followed). With durable set the bytes are forced to
  // disk. Nothing can be placed when that failed or a stop came between two
  // blocks.
  StagedCopy(const std::string& source, std::string target, const std::atomic<bool>& stop, bool durable);
  ~StagedCopy();
  StagedCopy(const StagedCopy&) = delete;
  StagedCopy& operator=(const StagedCopy&) = delete;

  const std::string& target() const { return target_; }
  // Puts the copy at target, replacing only a regular file or a dangling
  // link. The target is looked at again now: the copy took a while.
  bool replaceTarget();
  // Puts the copy at target only where nothing is.
  bool takeFreeTarget();
  // Removes the placed copy again, if what is at target is still this copy.
  bool withdraw();
  // Whether source (links followed) is still the file that was copied, with
  // the size and modification time it had when the copy began.
  bool sourceUnchangedAt(const std::string& source) const;

 private:
  std::string target_;
  std::string hidden_;  // the hidden file while it is there
  FileId id_;
  UniqueFd source_;  // kept open, so its identity cannot pass to another file
  struct stat sourceStatus_ {};
  bool ready_ = false;
};

// The last steps of a move across file systems, its copy staged: the copy
// takes the free target name and is forced to disk there, then the source is
// deleted; a source that cannot go takes the copy back and fails the move.
bool finishMove(StagedCopy& copy, const std::string& source);

}  // namespace zandrel
