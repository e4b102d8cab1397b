#pragma once
// A file descriptor that closes itself, so no early return leaves a file open.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <utility>

namespace zandrel {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) reset(std::exchange(other.fd_, -1));
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { reset(); }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Gives up ownership without closing.
  int release() { return std::exchange(fd_, -1); }
  void reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_ = -1;
};

// Opens a path for reading without ever blocking: a named pipe without a
// writer must not hang a search, and a terminal put in a file's place must
// not become the program's controlling terminal.
inline UniqueFd openForReading(const std::string& path) {
  return UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
}

// Opens a regular file for reading, links followed; nothing for folders,
// pipes and devices, whose reading would never start or never end. The
// file's status goes to *status when asked for.
inline UniqueFd openRegularFile(const std::string& path, struct stat* status = nullptr) {
  UniqueFd file = openForReading(path);
  struct stat own;
  struct stat& info = status != nullptr ? *status : own;
  if (file.valid() && (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))) file.reset();
  return file;
}

}  // namespace zandrel
