#include "engine/path_collection.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

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

bool isDotEntry(const std::string& name) { return name == "." || name == ".."; }

struct ListedEntry {
  std::string name;
  EntryKind kind;
};

// The folder's entries in listing order. The listing is closed before any
// entry is used, so a walk holds no folder open while it goes deeper and no
// depth runs into the open-file limit.
std::vector<ListedEntry> readEntries(const std::string& folder) {
  std::vector<ListedEntry> entries;
  Listing listing(opendir(folder.c_str()));
  if (!listing) return entries;
  while (!stopRequested()) {
    const dirent* entry = readdir(listing.get());
    if (entry == nullptr) break;
    const EntryKind kind = entryKind(folder, *entry);
    if (kind != EntryKind::Unreadable) entries.push_back({entry->d_name, kind});
  }
  return entries;
}

// Calls visit(name, kind) for each entry of the folder until a stop is requested.
template <typename Visit>
void forEachEntry(const std::string& folder, Visit visit) {
  for (const ListedEntry& entry : readEntries(folder)) {
    if (stopRequested()) return;
    visit(entry.name, entry.kind);
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
  // The list stays until the search ends: give back what its growth left over.
  gPathList.shrink_to_fit();
}

void scanFolderRecursive(const std::string& folderPath, int level) {
  const std::string prefix = addTrailingSeparator(folderPath);
  forEachEntry(prefix, [&](const std::string& name, EntryKind kind) {
    if (kind == EntryKind::File) {
      gPathList.push_back(prefix + name);
    } else if (!isDotEntry(name)) {
      scanFolderRecursive(prefix + name + kPathSeparator, level + 1);
    }
  });
}

void scanFolderFlat(const std::string& folderPath) {
  const std::string prefix = addTrailingSeparator(folderPath);
  forEachEntry(prefix, [&](const std::string& name, EntryKind kind) {
    if (kind == EntryKind::File) gPathList.push_back(prefix + name);
  });
}

}  // namespace zandrel
