#pragma once
// State shared by the steps of one search. At most one worker runs at a time
// and owns the lists while it runs; the GUI thread touches them only between
// workers. What both sides read while a worker runs is atomic.

#include <sys/stat.h>

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/file_id.h"

namespace zandrel {

// What a search saw of the file a path named: its identity, size and
// modification time, and whether the path itself was a link to it. Equal
// stamps of one path, taken then and now, tell that the path still names the
// file the search compared, unchanged as far as the system tells.
struct FileStamp {
  FileId fileId{};
  int64_t size = 0;
  int64_t modifiedSeconds = 0;
  int64_t modifiedNanoseconds = 0;
  bool pathIsLink = false;

  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of the file a status describes (for a link, the status of what it leads to).
FileStamp fileStampOf(const struct stat& status, bool pathIsLink);

// The stamp of the regular file the path names now: lstat, and for a link
// the status of what it leads to. Nothing when the path names no regular
// file, or a link leads to none.
std::optional<FileStamp> currentFileStamp(const std::string& path);

// One candidate file of a search.
struct FileEntry {
  std::string filePath;  // as collected, bytes unchanged
  int64_t fileSize = 0;
  std::string crc32Hex;  // a hash text stays empty until its pass has run
  std::string md5Hex;
  std::string sha1Hex;
  // The file the path named at the size pass, links followed; a hash pass
  // reads the path only while it still names this file. pathIsLink tells
  // whether the path itself is a symbolic link.
  FileId fileId{};
  bool pathIsLink = false;
  // The file's modification time at the size pass.
  int64_t modifiedSeconds = 0;
  int64_t modifiedNanoseconds = 0;

  friend bool operator==(const FileEntry&, const FileEntry&) = default;
};

// The stamp the size pass left in the entry.
FileStamp fileStampOf(const FileEntry& entry);

extern std::vector<std::string> gPathList;
extern std::vector<FileEntry> gFileEntries;
// Count per size, keyed by the size's decimal text; filled by groupBySize.
extern std::unordered_map<std::string, int64_t> gSizeCounts;

// Search options, copied from the window before the first worker starts.
extern int64_t gSearchSubdirs;
extern int64_t gSearchHidden;
extern int64_t gSearchSystem;
// Size rule bounds; 0 as maximum of the include rule means no upper limit.
extern int64_t gMinSize;
extern int64_t gMaxSize;

// Files fingerprinted so far, over all hash passes of the search.
extern std::atomic<int64_t> gSearchProgress;
// 1 while the user has paused the search.
extern std::atomic<int64_t> gPauseFlag;
// Set to end the running step early; every worker checks it between files and
// between read blocks, and leaves no file open when it returns.
extern std::atomic<bool> gStopRequested;

// True once a stop was requested; the worker then returns at once.
inline bool stopRequested() { return gStopRequested.load(std::memory_order_relaxed); }

// Resets the counters and flags at the start of a search.
void resetSearchState();

// Empties gPathList and gFileEntries, which ends every search.
void clearSearchLists();

}  // namespace zandrel
