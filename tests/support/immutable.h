#pragma once
// The immutable flag of a file or folder (chattr +i), for save tests.

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <string>
#include <utility>

namespace zandrel::testing {

// False where the file system or the user cannot set the flag.
inline bool setImmutable(const std::string& path, bool on) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  int flags = 0;
  bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  if (done) {
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  }
  ::close(fd);
  return done;
}

// Sets the flag for as long as it lives, so no test leaves a file behind
// that its folder's clean-up cannot remove.
class ImmutableFlag {
 public:
  explicit ImmutableFlag(std::string path) : path_(std::move(path)), set_(setImmutable(path_, true)) {}
  ~ImmutableFlag() {
    if (set_) setImmutable(path_, false);
  }
  ImmutableFlag(const ImmutableFlag&) = delete;
  ImmutableFlag& operator=(const ImmutableFlag&) = delete;
  // False where the file system or the user cannot set the flag.
  bool set() const { return set_; }

 private:
  std::string path_;
  bool set_;
};

}  // namespace zandrel::testing
