#include "engine/file_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

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

// Appends what io(buffer, size, bytes read so far) yields until the end of
// the file; none on an error.
template <typename Io>
std::optional<std::string> appendUntilEnd(std::string bytes, Io io) {
  char buffer[kReadBlock];
  for (off_t done = 0;;) {
    const ssize_t got = retried([&] { return io(buffer, sizeof buffer, done); });
    if (got == 0) return bytes;
    if (got < 0) return std::nullopt;
    bytes.append(buffer, static_cast<size_t>(got));
    done += got;
  }
}

// Hands the bytes to io(data, size, bytes written so far) until all are
// taken; false on an error or a write that takes nothing.
template <typename Io>
bool writeUntilDone(std::string_view bytes, Io io) {
  for (off_t done = 0; !bytes.empty();) {
    const ssize_t taken = retried([&] { return io(bytes.data(), bytes.size(), done); });
    if (taken <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(taken));
    done += taken;
  }
  return true;
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
  return appendUntilEnd(std::move(bytes), [fd](char* buffer, size_t size, off_t) { return ::read(fd, buffer, size); });
}

std::optional<std::string> readToEndFromStart(int fd) {
  return appendUntilEnd({}, [fd](char* buffer, size_t size, off_t done) { return ::pread(fd, buffer, size, done); });
}

bool writeAll(int fd, std::string_view bytes) {
  return writeUntilDone(bytes, [fd](const char* data, size_t size, off_t) { return ::write(fd, data, size); });
}

bool writeAllAt(int fd, std::string_view bytes, off_t offset) {
  return writeUntilDone(bytes, [fd, offset](const char* data, size_t size, off_t done) {
    return ::pwrite(fd, data, size, offset + done);
  });
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
