#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "engine/hash_passes.h"
#include "engine/search_state.h"
#include "engine/worker_thread.h"
#include "tests/support/temp_dir.h"

namespace zandrel {
namespace {

constexpr int kFileCount = 8;
constexpr off_t kFileSize = off_t{64} << 20;

// Polls until the condition holds; false if it never did within the bound.
bool waitFor(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// A pass over a few large files on a worker, as the search runs it.
class SearchStopTest : public testing::TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    resetSearchState();
    clearSearchLists();
    for (int i = 0; i < kFileCount; ++i) {
      // Sparse, so they cost nothing to make but still take real reads.
      const std::string file = path("big" + std::to_string(i));
      const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ASSERT_GE(fd, 0);
      ASSERT_EQ(::ftruncate(fd, kFileSize), 0);
      ::close(fd);
    }
    listFiles();
  }
  void TearDown() override {
    // Never leave a paused worker behind to hang the join.
    gStopRequested = true;
    gPauseFlag = 0;
    worker_.join();
    clearSearchLists();
    resetSearchState();
    TempDirTest::TearDown();
  }

  // What the steps before the passes leave in the lists.
  void listFiles() {
    for (int i = 0; i < kFileCount; ++i) {
      const std::string file = path("big" + std::to_string(i));
      gPathList.push_back(file);
      gFileEntries.push_back(FileEntry{file, kFileSize, {}, {}, {}});
    }
  }

  void startPass(HashKind kind) { ASSERT_TRUE(worker_.start([kind] { runHashPass(kind); })); }
  bool workerEnds() {
    return waitFor([this] { return !worker_.running(); });
  }

  WorkerThread worker_;
};

TEST_F(SearchStopTest, PauseHoldsBeforeTheFirstFileUntilResume) {
  gPauseFlag = 1;
  startPass(HashKind::Crc32);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_TRUE(worker_.running());
  EXPECT_EQ(gSearchProgress.load(), 0);

  gPauseFlag = 0;
  EXPECT_TRUE(waitFor([] { return gSearchProgress.load() > 0; }));
  ASSERT_TRUE(workerEnds());
  worker_.join();
  EXPECT_EQ(gSearchProgress.load(), kFileCount);
  EXPECT_EQ(gFileEntries.size(), static_cast<size_t>(kFileCount));  // all zeros: one group
}

TEST_F(SearchStopTest, StopWhilePausedEndsTheWorker) {
  gPauseFlag = 1;
  startPass(HashKind::Md5);
  EXPECT_TRUE(worker_.running());
  gStopRequested = true;
  ASSERT_TRUE(workerEnds());
  worker_.join();
  EXPECT_EQ(gSearchProgress.load(), 0);
  EXPECT_EQ(testing::openFilesUnder(path()), 0);
}

TEST_F(SearchStopTest, StopDuringAPassClosesEveryFile) {
  for (const HashKind kind : {HashKind::Crc32, HashKind::Md5, HashKind::Sha1}) {
    SCOPED_TRACE(static_cast<int>(kind));
    startPass(kind);
    EXPECT_TRUE(waitFor([] { return gSearchProgress.load() > 0; }));
    gStopRequested = true;
    ASSERT_TRUE(workerEnds());
    worker_.join();
    EXPECT_EQ(testing::openFilesUnder(path()), 0);
    clearSearchLists();
    EXPECT_TRUE(gPathList.empty());
    EXPECT_TRUE(gFileEntries.empty());

    // Ready for the next search.
    resetSearchState();
    listFiles();
  }
}

}  // namespace
}  // namespace zandrel
