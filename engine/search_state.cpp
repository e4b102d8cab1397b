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
