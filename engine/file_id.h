#pragma once
// A file as the system knows it, whatever name leads to it: two paths of one
// (device, inode) are one file, and deleting either deletes the only copy.

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace zandrel {

struct FileId {
  uint64_t device = 0;
  uint64_t inode = 0;

  friend bool operator==(const FileId&, const FileId&) = default;
};

struct FileIdHash {
  size_t operator()(const FileId& id) const {
    return std::hash<uint64_t>()(id.device * 0x9E3779B97F4A7C15ULL ^ id.inode);
  }
};

// The identity a stat, lstat or fstat call reported.
inline FileId fileIdOf(const struct stat& status) {
  return {static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)};
}

// The file the path names, links followed; nothing when it cannot be looked up.
inline std::optional<FileId> fileIdOf(const std::string& path) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return fileIdOf(status);
}

}  // namespace zandrel
