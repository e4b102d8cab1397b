#include "engine/file_replace.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <optional>
#include <utility>

#include "engine/file_io.h"

namespace zandrel {
namespace {

// Links followed one at a time, no further than the system itself would.
constexpr int kMaxLinkHops = 40;

// The file that is replaced: the one a symbolic link points to, so the link
// survives, also where that file does not exist yet (it is made there, and
// the link then finds it); the path itself otherwise. None for a chain of
// links that never ends or cannot be read.
std::optional<std::string> writeTarget(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat status;
    if (lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return current;
    char link[PATH_MAX];
    const ssize_t length = readlink(current.c_str(), link, sizeof link);
    if (length <= 0 || static_cast<size_t>(length) == sizeof link) return std::nullopt;
    const std::string next(link, static_cast<size_t>(length));
    current = next.front() == '/' ? next : folderOf(current) + next;
  }
  return std::nullopt;
}

// A new file beside the target, hidden and ending in ".tmp", so neither the
// language file scan nor a results dialog takes it for one of theirs. Its
// name is short whatever the target's, so a target of the longest name a
// folder takes still gets one.
UniqueFd createTempBeside(const std::string& target, std::string& tempPath) {
  static std::atomic<unsigned> counter{0};
  const std::string prefix = folderOf(target) + ".zandrel." + std::to_string(getpid()) + ".";
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = prefix + std::to_string(counter++) + ".tmp";
    UniqueFd fd(::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.valid()) return fd;
    if (errno != EEXIST) break;
  }
  tempPath.clear();
  return UniqueFd();
}

// Whether a file of `size` bytes may grow where `fd` is, as far as the
// process's file-size limit and the file system's free space tell: a rewrite
// in place that stopped half-way would have cut the old text already.
bool roomToRewrite(int fd, const struct stat& old, size_t size) {
  rlimit limit;
  if (getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && size > limit.rlim_cur) return false;
  struct statvfs space;
  if (fstatvfs(fd, &space) != 0 || space.f_blocks == 0) return true;  // a file system that does not say
  const auto allocated = static_cast<unsigned long long>(old.st_blocks) * 512;
  if (size <= allocated) return true;
  // One block more for the rounding of the last one.
  const unsigned long long needed = size - allocated + space.f_frsize;
  return needed <= static_cast<unsigned long long>(space.f_bavail) * space.f_frsize;
}

}  // namespace

FileReplacement::FileReplacement(FileReplacement&& other) noexcept
    : target_(std::exchange(other.target_, {})),
      tempPath_(std::exchange(other.tempPath_, {})),
      temp_(std::move(other.temp_)),
      existing_(std::move(other.existing_)),
      existingReadable_(std::exchange(other.existingReadable_, false)) {}

FileReplacement& FileReplacement::operator=(FileReplacement&& other) noexcept {
  if (this != &other) {
    abandon();
    target_ = std::exchange(other.target_, {});
    tempPath_ = std::exchange(other.tempPath_, {});
    temp_ = std::move(other.temp_);
    existing_ = std::move(other.existing_);
    existingReadable_ = std::exchange(other.existingReadable_, false);
  }
  return *this;
}

void FileReplacement::dropTemp() {
  temp_.reset();
  const char* name = tempPath_.c_str();
  // Given to the old file's owner, it may be one that a sticky folder keeps
  // from this process until it is taken back.
  if (!tempPath_.empty() && ::unlink(name) != 0 && errno == EPERM &&
      lchown(name, geteuid(), static_cast<gid_t>(-1)) == 0) {
    ::unlink(name);
  }
  tempPath_.clear();
}

void FileReplacement::abandon() {
  dropTemp();
  existing_.reset();
  existingReadable_ = false;
  target_.clear();
}

bool FileReplacement::prepare(const std::string& path) {
  abandon();
  const std::optional<std::string> target = writeTarget(path);
  if (!target) return false;
  target_ = *target;
  struct stat status;
  const bool exists = ::stat(target_.c_str(), &status) == 0;
  if (!exists && errno != ENOENT) return false;
  if (exists) {
    // Checked before the open: opening a pipe or a device for writing can block or act on the device.
    if (!S_ISREG(status.st_mode)) return false;
    // Read access too, where there is any, so that a failed rewrite in place can put the old bytes back.
    existing_ = UniqueFd(::open(target_.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    existingReadable_ = existing_.valid();
    if (!existing_.valid() && errno == EACCES) {
      existing_ = UniqueFd(::open(target_.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    }
    // Something else may have taken the name since the look.
    if (!existing_.valid() || fstat(existing_.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
      abandon();
      return false;
    }
  }
  const bool inPlacePossible = existing_.valid() && existingReadable_;
  // A new file would take the name from the file's other names, which keep the old bytes.
  if (inPlacePossible && status.st_nlink > 1) return true;
  temp_ = createTempBeside(target_, tempPath_);
  // A new file that cannot take the old owner and group would give the file to the user.
  if (temp_.valid() && existing_.valid() && !takeOwnerOf(temp_.get(), status) && inPlacePossible) {
    dropTemp();
    return true;
  }
  if (temp_.valid() || inPlacePossible) return true;
  abandon();
  return false;
}

bool FileReplacement::commit(std::string_view bytes) {
  const bool written = temp_.valid() ? commitThroughTemp(bytes) : existing_.valid() && commitInPlace(bytes);
  abandon();
  return written;
}

bool FileReplacement::commitThroughTemp(std::string_view bytes) {
  const int fd = temp_.get();
  bool written = writeAll(fd, bytes);
  struct stat old;
  // After the owner, given at prepare, and after the bytes: a change of owner
  // or a write clears the set-id bits.
  if (existing_.valid() && fstat(existing_.get(), &old) == 0) takeModeOf(fd, old);
  written = written && fsync(fd) == 0;
  written = ::close(temp_.release()) == 0 && written;
  if (!written) return false;
  if (std::rename(tempPath_.c_str(), target_.c_str()) != 0) {
    const int error = errno;
    dropTemp();
    // A sticky folder keeps the file from being replaced by another user, who may still write it.
    return (error == EPERM || error == EACCES) && existing_.valid() && existingReadable_ && commitInPlace(bytes);
  }
  tempPath_.clear();
  syncFolder(folderOf(target_));  // the rename itself, on disk
  return true;
}

// The new bytes go over the old ones from the start, and only then is the
// rest cut off; a failure before the cut puts back what was overwritten. Only
// that part of the old file is kept aside, so an old file of any size takes
// no more memory than the new text.
bool FileReplacement::commitInPlace(std::string_view bytes) {
  const int fd = existing_.get();
  struct stat old;
  if (!existingReadable_ || fstat(fd, &old) != 0 || !roomToRewrite(fd, old, bytes.size())) return false;
  const auto oldSize = static_cast<size_t>(std::max<off_t>(old.st_size, 0));
  std::string overwritten(std::min(bytes.size(), oldSize), '\0');
  if (lseek(fd, 0, SEEK_SET) != 0 || !readExactly(fd, overwritten.data(), overwritten.size())) return false;
  if (writeAllAt(fd, bytes, 0) && fsync(fd) == 0 &&
      (bytes.size() >= oldSize || (ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && fsync(fd) == 0))) {
    return true;
  }
  if (writeAllAt(fd, overwritten, 0) && ftruncate(fd, static_cast<off_t>(oldSize)) == 0) fsync(fd);
  return false;
}

bool replaceFile(const std::string& path, std::string_view bytes) {
  FileReplacement replacement;
  return replacement.prepare(path) && replacement.commit(bytes);
}

}  // namespace zandrel
