#include "engine/file_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "engine/unique_fd.h"

namespace zandrel {
namespace {

// Calls io until it is not cut short by a signal.
template <typename Io>
ssize_t retried(Io io) {
  for (;;) {
    const ssize_t done = io();
    if (done >= 0 || errno != EINTR) return done;
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

ssize_t readFullyAt(int fd, char* data, size_t size, off_t offset) {
  size_t done = 0;
  while (done < size) {
    const off_t at = offset + static_cast<off_t>(done);
    const ssize_t got = retried([&] { return ::pread(fd, data + done, size - done, at); });
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  return static_cast<ssize_t>(done);
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

bool takeOwnerOf(int fd, const struct stat& source) {
  if (fchown(fd, source.st_uid, source.st_gid) == 0) return true;
  fchown(fd, static_cast<uid_t>(-1), source.st_gid);
  return false;
}

void takeModeOf(int fd, const struct stat& source) {
  struct stat own;
  const bool sameOwner = fstat(fd, &own) == 0 && own.st_uid == source.st_uid && own.st_gid == source.st_gid;
  fchmod(fd, source.st_mode & (sameOwner ? 07777 : 0777));
}

}  // namespace zandrel
