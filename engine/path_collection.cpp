#include "engine/path_collection.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>

#include "engine/search_state.h"
#include "engine/shared_helpers.h"
#include "engine/unique_fd.h"

namespace zandrel {
namespace {

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};
using Listing = std::unique_ptr<DIR, DirCloser>;

enum class EntryKind { File, Folder, Unreadable };

// The entry's own kind, not followed through a link.
EntryKind entryKind(const std::string& folder, const dirent& entry) {
  switch (entry.d_type) {
    case DT_DIR:
      return EntryKind::Folder;
    case DT_UNKNOWN:
      break;
    default:
      return EntryKind::File;
  }
  struct stat status;
  if (lstat((folder + entry.d_name).c_str(), &status) != 0) return EntryKind::Unreadable;
  return S_ISDIR(status.st_mode) ? EntryKind::Folder : EntryKind::File;
}

bool isDotEntry(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Calls visit(name, kind) for each entry of the folder until a stop is requested.
template <typename Visit>
void forEachEntry(const std::string& folder, Visit visit) {
  Listing listing(opendir(folder.c_str()));
  if (!listing) return;
  while (!stopRequested()) {
    const dirent* entry = readdir(listing.get());
    if (entry == nullptr) break;
    const EntryKind kind = entryKind(folder, *entry);
    if (kind != EntryKind::Unreadable) visit(entry->d_name, kind);
  }
}

}  // namespace

void collectSearchPaths(const std::vector<std::string>& locationRows) {
  gPathList.clear();
  gFileEntries.clear();
  for (const std::string& row : locationRows) {
    if (stopRequested()) return;
    if (row.empty()) continue;
    if (Listing(opendir(row.c_str()))) {
      if (gSearchSubdirs == 1) {
        scanFolderRecursive(row, 0);
      } else {
        scanFolderFlat(row);
      }
    } else if (openForReading(row).valid()) {
      gPathList.push_back(row);
    }
  }
}

void scanFolderRecursive(const std::string& folderPath, int level) {
  const std::string prefix = addTrailingSeparator(folderPath);
  forEachEntry(prefix, [&](const char* name, EntryKind kind) {
    if (kind == EntryKind::File) {
      gPathList.push_back(prefix + name);
    } else if (!isDotEntry(name)) {
      scanFolderRecursive(prefix + name + kPathSeparator, level + 1);
    }
  });
}

void scanFolderFlat(const std::string& folderPath) {
  const std::string prefix = addTrailingSeparator(folderPath);
  forEachEntry(prefix, [&](const char* name, EntryKind kind) {
    if (kind == EntryKind::File) gPathList.push_back(prefix + name);
  });
}

}  // namespace zandrel
