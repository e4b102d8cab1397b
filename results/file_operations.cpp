#include "results/file_operations.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <functional>
#include <memory>
#include <new>
#include <utility>

#include "engine/file_id.h"
#include "engine/file_io.h"
#include "engine/search_state.h"
#include "engine/shared_helpers.h"
#include "engine/unique_fd.h"

namespace zandrel {
namespace {

bool holdsNul(const std::string& path) { return path.find('\0') != std::string::npos; }

// Nothing at target, a dangling link, or a regular file: what a copy may replace.
bool replaceableTarget(const std::string& target) {
  if (holdsNul(target)) return false;
  struct stat status;
  if (stat(target.c_str(), &status) == 0) return S_ISREG(status.st_mode);
  return errno == ENOENT;
}

// Nothing at all at the path, not even a dangling link.
bool freeName(const std::string& path) {
  struct stat status;
  return !holdsNul(path) && lstat(path.c_str(), &status) != 0 && errno == ENOENT;
}

bool sameFile(const std::string& a, const std::string& b) {
  const std::optional<FileId> first = fileIdOf(a);
  return first && first == fileIdOf(b);
}

// Set by tests only: the error the rename with RENAME_NOREPLACE fails with
// untried (0: it is tried), and what runs after each block of a copy.
std::atomic<int> gNoReplaceRefusal{0};
std::function<void()> gAfterEachCopyBlock;

}  // namespace

void refuseNoReplaceRenameWith(int error) { gNoReplaceRefusal = error; }

void runAfterEachCopyBlock(std::function<void()> hook) { gAfterEachCopyBlock = std::move(hook); }

StagedCopy::StagedCopy(const std::string& source, std::string target, const std::atomic<bool>& stop, bool durable)
    : target_(std::move(target)) {
  struct stat& status = sourceStatus_;
  source_ = openRegularFile(source, &status);
  const int in = source_.get();
  if (in < 0 || holdsNul(target_)) return;
  // Clear O_NONBLOCK again: it only guarded the open.
  fcntl(in, F_SETFL, fcntl(in, F_GETFL) & ~O_NONBLOCK);
  std::string hidden = folderOf(target_) + ".zandrel-partial-XXXXXX";
  UniqueFd out(mkostemp(hidden.data(), O_CLOEXEC));
  if (!out.valid()) return;
  hidden_ = std::move(hidden);
  struct stat own;
  if (fstat(out.get(), &own) != 0) return;
  id_ = fileIdOf(own);

  std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[kCopyBlockSize]);
  if (!block) return;
  off_t copied = 0;
  for (;;) {
    // At the size the file had, only the read that finds its end is left:
    // a stop now would throw away a whole copy.
    if (stop.load() && copied != status.st_size) return;
    const ssize_t count = readSome(in, block.get(), kCopyBlockSize);
    if (count < 0) return;
    if (count == 0) break;
    if (!writeAll(out.get(), {reinterpret_cast<const char*>(block.get()), static_cast<size_t>(count)})) return;
    copied += count;
    if (gAfterEachCopyBlock) gAfterEachCopyBlock();
  }
  takeOwnerOf(out.get(), status);
  takeModeOf(out.get(), status);
  // A close can be the first to report a lost write.
  const int fd = out.release();
  const bool synced = !durable || ::fsync(fd) == 0;
  ready_ = ::close(fd) == 0 && synced;
}

StagedCopy::~StagedCopy() {
  if (!hidden_.empty()) ::unlink(hidden_.c_str());
}

bool StagedCopy::replaceTarget() {
  if (!ready_ || !replaceableTarget(target_)) return false;
  if (::rename(hidden_.c_str(), target_.c_str()) != 0) return false;
  hidden_.clear();
  return true;
}

bool StagedCopy::takeFreeTarget() {
  if (!ready_ || renameNoReplace(hidden_, target_) != NoReplaceRename::Done) return false;
  hidden_.clear();
  return true;
}

bool StagedCopy::withdraw() {
  struct stat status;
  if (!ready_ || !hidden_.empty() || lstat(target_.c_str(), &status) != 0) return false;
  if (fileIdOf(status) != id_) return false;
  return ::unlink(target_.c_str()) == 0;
}

bool StagedCopy::sourceUnchangedAt(const std::string& source) const {
  struct stat now;
  struct stat atPath;
  if (!source_.valid() || fstat(source_.get(), &now) != 0 || holdsNul(source) || stat(source.c_str(), &atPath) != 0) {
    return false;
  }
  return fileIdOf(atPath) == fileIdOf(sourceStatus_) && fileStampOf(now, false) == fileStampOf(sourceStatus_, false);
}

bool finishMove(StagedCopy& copy, const std::string& source) {
  if (!copy.takeFreeTarget()) return false;
  // The copy's name is on disk before the source goes, so a power cut never
  // finds neither. The source is looked at last, just before it goes: a save
  // by rename or a write since the copy began leaves bytes the copy lacks.
  if (syncFolder(folderOf(copy.target())) && copy.sourceUnchangedAt(source) && ::unlink(source.c_str()) == 0) {
    return true;
  }
  copy.withdraw();
  return false;
}

NoReplaceRename linkThenUnlink(const std::string& from, const std::string& to) {
  if (holdsNul(from) || holdsNul(to)) return NoReplaceRename::Refused;
  if (::link(from.c_str(), to.c_str()) != 0) {
    return errno == EXDEV ? NoReplaceRename::OtherFileSystem : NoReplaceRename::Refused;
  }
  if (::unlink(from.c_str()) == 0) return NoReplaceRename::Done;
  // Two names of one file: the new one goes again, losing nothing.
  if (sameFile(from, to)) ::unlink(to.c_str());
  return NoReplaceRename::Refused;
}

NoReplaceRename renameNoReplace(const std::string& from, const std::string& to) {
  if (holdsNul(from) || holdsNul(to)) return NoReplaceRename::Refused;
  if (const int refusal = gNoReplaceRefusal.load()) {
    errno = refusal;
  } else if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
    return NoReplaceRename::Done;
  }
  if (errno == EXDEV) return NoReplaceRename::OtherFileSystem;
  // The flag unknown to the file system (some network and FUSE ones) or to
  // an old kernel.
  if (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) return linkThenUnlink(from, to);
  return NoReplaceRename::Refused;
}

bool isRegularFile(const std::string& path) {
  struct stat status;
  return !holdsNul(path) && stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool deleteFile(const std::string& path) { return isRegularFile(path) && ::unlink(path.c_str()) == 0; }

bool copyFile(const std::string& source, const std::string& target, const std::atomic<bool>& stop) {
  if (!isRegularFile(source)) return false;
  if (sameFile(source, target)) return true;
  if (!replaceableTarget(target)) return false;
  StagedCopy copy(source, target, stop, false);
  return copy.replaceTarget();
}

bool moveFile(const std::string& source, const std::string& target, const std::atomic<bool>& stop) {
  if (!isRegularFile(source)) return false;
  if (sameFile(source, target)) return true;
  switch (renameNoReplace(source, target)) {
    case NoReplaceRename::Done:
      return true;
    case NoReplaceRename::Refused:
      return false;
    case NoReplaceRename::OtherFileSystem:
      break;
  }
  // Spares a copy that could only fail.
  if (!freeName(target)) return false;
  StagedCopy copy(source, target, stop, true);
  return finishMove(copy, source);
}

std::string targetPathIn(const std::string& folder, const std::string& source) {
  return addTrailingSeparator(folder) + source.substr(source.rfind('/') + 1);
}

}  // namespace zandrel
