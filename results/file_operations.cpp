#include "results/file_operations.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <new>

#include "engine/file_io.h"
#include "engine/shared_helpers.h"
#include "engine/unique_fd.h"

namespace zandrel {
namespace {

bool holdsNul(const std::string& path) { return path.find('\0') != std::string::npos; }

// Nothing at target, a dangling link, or a regular file: what a rename may replace.
bool replaceableTarget(const std::string& target) {
  if (holdsNul(target)) return false;
  struct stat status;
  if (stat(target.c_str(), &status) == 0) return S_ISREG(status.st_mode);
  return errno == ENOENT;
}

bool sameFile(const std::string& a, const std::string& b) {
  struct stat first, second;
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

// A hidden file beside the target that goes away unless kept.
class PartialFile {
 public:
  explicit PartialFile(const std::string& target) {
    path_ = folderOf(target) + ".zandrel-partial-XXXXXX";
    file_.reset(mkostemp(path_.data(), O_CLOEXEC));
    if (!file_.valid()) path_.clear();
  }
  ~PartialFile() {
    file_.reset();
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  bool valid() const { return file_.valid(); }
  int fd() const { return file_.get(); }
  const std::string& path() const { return path_; }
  // Closes the file, first forcing it to disk when durable is set; false when
  // the data may not have been written.
  bool finish(bool durable) {
    const int fd = file_.release();
    const bool synced = !durable || ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
  }
  void keep() { path_.clear(); }

 private:
  std::string path_;
  UniqueFd file_;
};

// Copies source into a finished partial file beside target; the caller puts it in place.
bool copyToPartial(const std::string& source, PartialFile& partial, const std::atomic<bool>& stop, bool durable) {
  struct stat status;
  const UniqueFd in = openRegularFile(source, &status);
  if (!in.valid()) return false;
  // Clear O_NONBLOCK again: it only guarded the open.
  fcntl(in.get(), F_SETFL, fcntl(in.get(), F_GETFL) & ~O_NONBLOCK);
  if (!partial.valid()) return false;
  fchmod(partial.fd(), status.st_mode & 07777);

  std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[kCopyBlockSize]);
  if (!block) return false;
  off_t copied = 0;
  for (;;) {
    // At the size the file had, only the read that finds its end is left:
    // a stop now would throw away a whole copy.
    if (stop.load() && copied != status.st_size) return false;
    const ssize_t count = readSome(in.get(), block.get(), kCopyBlockSize);
    if (count < 0) return false;
    if (count == 0) break;
    if (!writeAll(partial.fd(), {reinterpret_cast<const char*>(block.get()), static_cast<size_t>(count)})) return false;
    copied += count;
  }
  return partial.finish(durable);
}

}  // namespace

bool isRegularFile(const std::string& path) {
  struct stat status;
  return !holdsNul(path) && stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool deleteFile(const std::string& path) { return isRegularFile(path) && ::unlink(path.c_str()) == 0; }

bool copyFile(const std::string& source, const std::string& target, const std::atomic<bool>& stop) {
  if (!isRegularFile(source)) return false;
  if (sameFile(source, target)) return true;
  if (!replaceableTarget(target)) return false;
  PartialFile partial(target);
  if (!copyToPartial(source, partial, stop, false)) return false;
  // Looked at again: the copy took a while.
  if (!replaceableTarget(target)) return false;
  if (::rename(partial.path().c_str(), target.c_str()) != 0) return false;
  partial.keep();
  return true;
}

bool moveFile(const std::string& source, const std::string& target, const std::atomic<bool>& stop) {
  if (!isRegularFile(source)) return false;
  if (sameFile(source, target)) return true;
  if (!replaceableTarget(target)) return false;
  if (::rename(source.c_str(), target.c_str()) == 0) return true;
  // Any other refusal would refuse the copy and delete as well.
  if (errno != EXDEV) return false;
  // Another file system: the whole copy waits on disk beside the target while
  // the source goes, so a source that cannot be deleted leaves the target as it was.
  PartialFile partial(target);
  if (!copyToPartial(source, partial, stop, true) || !syncFolder(folderOf(target))) return false;
  if (!replaceableTarget(target) || !deleteFile(source)) return false;
  if (::rename(partial.path().c_str(), target.c_str()) != 0) {
    partial.keep();  // the source is gone: its content must stay somewhere
    return false;
  }
  partial.keep();
  syncFolder(folderOf(target));
  return true;
}

std::string targetPathIn(const std::string& folder, const std::string& source) {
  return addTrailingSeparator(folder) + source.substr(source.rfind('/') + 1);
}

}  // namespace zandrel
