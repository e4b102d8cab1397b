#include "engine/file_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "engine/unique_fd.h"

namespace zandrel {
namespace {

constexpr size_t kReadBlock = 65536;

// Calls io until it is not cut short by a signal.
template <typename Io>
ssize_t retried(Io io) {
  for (;;) {
    const ssize_t done = io();
    if (done >= 0 || errno != EINTR) return done;
  }
}

}  // namespace

ssize_t readSome(int fd, void* buffer, size_t size) {
  return retried([&] { return ::read(fd, buffer, size); });
}

bool readExactly(int fd, char* data, size_t size) {
  while (size > 0) {
    const ssize_t got = readSome(fd, data, size);
    if (got <= 0) return false;
    data += got;
    size -= static_cast<size_t>(got);
  }
  return true;
}

std::optional<std::string> readToEnd(int fd, size_t expectedSize) {
  std::string bytes;
  bytes.reserve(expectedSize);
  char buffer[kReadBlock];
  for (;;) {
    const ssize_t got = readSome(fd, buffer, sizeof buffer);
    if (got == 0) return bytes;
    if (got < 0) return std::nullopt;
    bytes.append(buffer, static_cast<size_t>(got));
  }
}

std::optional<std::string> readToEndFromStart(int fd) {
  std::string bytes;
  char buffer[kReadBlock];
  for (off_t offset = 0;;) {
    const ssize_t got = retried([&] { return ::pread(fd, buffer, sizeof buffer, offset); });
    if (got == 0) return bytes;
    if (got < 0) return std::nullopt;
    bytes.append(buffer, static_cast<size_t>(got));
    offset += got;
  }
}

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t done = retried([&] { return ::write(fd, bytes.data(), bytes.size()); });
    if (done <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(done));
  }
  return true;
}

bool writeAllAt(int fd, std::string_view bytes, off_t offset) {
  while (!bytes.empty()) {
    const ssize_t done = retried([&] { return ::pwrite(fd, bytes.data(), bytes.size(), offset); });
    if (done <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(done));
    offset += done;
  }
  return true;
}

std::string folderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

bool syncFolder(const std::string& folder) {
  const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.valid()) return true;
  return ::fsync(fd.get()) == 0 || (errno != EIO && errno != ENOSPC && errno != EDQUOT);
}

}  // namespace zandrel
