#include "engine/size_grouping.h"

#include <sys/stat.h>

#include <algorithm>

#include "engine/search_state.h"
#include "engine/text_order.h"
#include "engine/unique_fd.h"

namespace zandrel {

void collectFileSizes() {
  for (const std::string& path : gPathList) {
    if (stopRequested()) return;
    // One open serves as the readability test and gives the size of what is
    // read later, links followed. Folders read negative and are skipped;
    // special files have no content of their own to compare (a pipe or a
    // device would never end or always look empty).
    struct stat status;
    if (!openRegularFile(path, &status).valid() || status.st_size < 0) continue;
    gFileEntries.push_back(FileEntry{path, static_cast<int64_t>(status.st_size), {}, {}, {}});
  }
  std::stable_sort(gFileEntries.begin(), gFileEntries.end(),
                   [](const FileEntry& a, const FileEntry& b) { return a.fileSize < b.fileSize; });
}

void groupBySize() {
  std::vector<FileEntry>& entries = gFileEntries;

  // A size seen once before the last run cannot have a duplicate; the
  // count below catches the last run and sizes thinned by repeated paths.
  std::vector<FileEntry> kept;
  kept.reserve(entries.size());
  for (size_t i = 0; i < entries.size();) {
    size_t runEnd = i + 1;
    while (runEnd < entries.size() && entries[runEnd].fileSize == entries[i].fileSize) ++runEnd;
    if (runEnd - i > 1 || runEnd == entries.size()) {
      for (size_t k = i; k < runEnd; ++k) kept.push_back(std::move(entries[k]));
    }
    i = runEnd;
    if (stopRequested()) return;
  }
  entries = std::move(kept);

  std::stable_sort(entries.begin(), entries.end(),
                   [](const FileEntry& a, const FileEntry& b) { return utf16Less(a.filePath, b.filePath); });
  if (stopRequested()) return;

  // Of each run of equal paths the last entry stays.
  std::vector<FileEntry> distinct;
  distinct.reserve(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    if (i + 1 < entries.size() && entries[i + 1].filePath == entries[i].filePath) continue;
    distinct.push_back(std::move(entries[i]));
  }

  gSizeCounts.clear();
  for (const FileEntry& entry : distinct) ++gSizeCounts[std::to_string(entry.fileSize)];

  entries.clear();
  for (FileEntry& entry : distinct) {
    if (gSizeCounts[std::to_string(entry.fileSize)] >= 2) entries.push_back(std::move(entry));
  }
}

}  // namespace zandrel
