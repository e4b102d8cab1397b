#include "engine/search_state.h"

namespace zandrel {

std::vector<std::string> gPathList;
std::vector<FileEntry> gFileEntries;
std::unordered_map<std::string, int64_t> gSizeCounts;

int64_t gSearchSubdirs = 0;
int64_t gSearchHidden = 0;
int64_t gSearchSystem = 0;
int64_t gMinSize = 0;
int64_t gMaxSize = 0;

std::atomic<int64_t> gSearchProgress{0};
std::atomic<int64_t> gPauseFlag{0};
std::atomic<bool> gStopRequested{false};

FileStamp fileStampOf(const struct stat& status, bool pathIsLink) {
  return {fileIdOf(status), static_cast<int64_t>(status.st_size), static_cast<int64_t>(status.st_mtim.tv_sec),
          static_cast<int64_t>(status.st_mtim.tv_nsec), pathIsLink};
}

FileStamp fileStampOf(const FileEntry& entry) {
  return {entry.fileId, entry.fileSize, entry.modifiedSeconds, entry.modifiedNanoseconds, entry.pathIsLink};
}

std::optional<FileStamp> currentFileStamp(const std::string& path) {
  if (path.find('\0') != std::string::npos) return std::nullopt;
  struct stat status;
  if (::lstat(path.c_str(), &status) != 0) return std::nullopt;
  const bool pathIsLink = S_ISLNK(status.st_mode);
  if (pathIsLink && ::stat(path.c_str(), &status) != 0) return std::nullopt;
  if (!S_ISREG(status.st_mode)) return std::nullopt;
  return fileStampOf(status, pathIsLink);
}

void resetSearchState() {
  gSearchProgress = 0;
  gPauseFlag = 0;
  gStopRequested = false;
}

void clearSearchLists() {
  // swap with empty to give the memory back: a search may have held millions of paths
  std::vector<std::string>().swap(gPathList);
  std::vector<FileEntry>().swap(gFileEntries);
}

}  // namespace zandrel
