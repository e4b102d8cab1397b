#include "engine/size_grouping.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <unordered_map>

#include "engine/entry_list.h"
#include "engine/file_id.h"
#include "engine/search_state.h"
#include "engine/text_order.h"
#include "engine/unique_fd.h"

namespace zandrel {
namespace {

// The status of the regular file a path names, links followed, when the user
// may read it. Most files take a single lstat: for the file's owner the
// owner's read bit is the whole answer (access lists and other users' bits
// only speak for others). Every other case is asked of open itself, which also
// knows about access lists, root's override and network file systems.
bool readableFileStatus(const std::string& path, uid_t user, struct stat& status, bool& pathIsLink) {
  if (::lstat(path.c_str(), &status) != 0) return false;
  pathIsLink = S_ISLNK(status.st_mode);
  if (pathIsLink && ::stat(path.c_str(), &status) != 0) return false;
  // Folders read negative and are skipped; special files have no content of
  // their own to compare (a pipe or a device would never end or always look empty).
  if (!S_ISREG(status.st_mode) || status.st_size < 0) return false;
  if (status.st_uid == user && (status.st_mode & S_IRUSR) != 0) return true;
  return openRegularFile(path, &status).valid();
}

}  // namespace

void collectFileSizes() {
  const uid_t user = ::geteuid();
  // Nearly every path becomes an entry: one allocation, no doubling slack.
  gFileEntries.reserve(gFileEntries.size() + gPathList.size());
  for (const std::string& path : gPathList) {
    if (stopRequested()) return;
    struct stat status;
    bool pathIsLink = false;
    if (!readableFileStatus(path, user, status, pathIsLink)) continue;
    FileEntry entry{path, static_cast<int64_t>(status.st_size), {}, {}, {}};
    entry.fileId = fileIdOf(status);
    entry.pathIsLink = pathIsLink;
    entry.modifiedSeconds = static_cast<int64_t>(status.st_mtim.tv_sec);
    entry.modifiedNanoseconds = static_cast<int64_t>(status.st_mtim.tv_nsec);
    gFileEntries.push_back(std::move(entry));
  }
  std::stable_sort(gFileEntries.begin(), gFileEntries.end(),
                   [](const FileEntry& a, const FileEntry& b) { return a.fileSize < b.fileSize; });
}

void groupBySize() {
  std::vector<FileEntry>& entries = gFileEntries;

  // A size seen once before the last run cannot have a duplicate; the
  // count below catches the last run and sizes thinned by repeated paths.
  std::vector<char> keep(entries.size(), 1);
  for (size_t i = 0; i < entries.size();) {
    size_t runEnd = i + 1;
    while (runEnd < entries.size() && entries[runEnd].fileSize == entries[i].fileSize) ++runEnd;
    if (runEnd - i == 1 && runEnd != entries.size()) keep[i] = 0;
    i = runEnd;
  }
  keepWhere(entries, [&keep](size_t i) { return keep[i] != 0; });
  if (stopRequested()) return;

  std::stable_sort(entries.begin(), entries.end(),
                   [](const FileEntry& a, const FileEntry& b) { return utf16Less(a.filePath, b.filePath); });
  if (stopRequested()) return;

  // Of each run of equal paths the last entry stays.
  keep.assign(entries.size(), 1);
  for (size_t i = 0; i + 1 < entries.size(); ++i) {
    if (entries[i + 1].filePath == entries[i].filePath) keep[i] = 0;
  }

  // Two paths of one file (a link, a folder reached through a link, a second
  // spelling, a hard link) are never duplicates of each other: deleting one
  // would delete the only copy. The path that is not itself a link stays,
  // among those the first in path order.
  std::unordered_map<FileId, size_t, FileIdHash> chosen;
  chosen.reserve(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!keep[i]) continue;
    const auto [place, fresh] = chosen.try_emplace(entries[i].fileId, i);
    if (fresh) continue;
    if (entries[place->second].pathIsLink && !entries[i].pathIsLink) {
      keep[place->second] = 0;
      place->second = i;
    } else {
      keep[i] = 0;
    }
  }
  decltype(chosen)().swap(chosen);
  if (stopRequested()) return;

  // Counted by number; the decimal text is made once per distinct size.
  std::unordered_map<int64_t, int64_t> counts;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (keep[i]) ++counts[entries[i].fileSize];
  }
  keepWhere(entries, [&](size_t i) { return keep[i] && counts.find(entries[i].fileSize)->second >= 2; });
  gSizeCounts.clear();
  for (const auto& [size, count] : counts) gSizeCounts.emplace(std::to_string(size), count);
}

}  // namespace zandrel
