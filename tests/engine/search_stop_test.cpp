#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <thread>

#include "engine/file_id.h"
#include "engine/hash_passes.h"
#include "engine/search_state.h"
#include "engine/worker_thread.h"
#include "tests/engine/search_state_test.h"

namespace zandrel {
namespace {

constexpr int kFileCount = 16;
constexpr off_t kFileSize = off_t{64} << 20;
constexpr unsigned kThreads = 8;

// Every descriptor this process holds.
int openDescriptors() {
  int count = 0;
  for ([[maybe_unused]] const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
  return count - 1;  // the listing's own
}

// The files under a folder that this process holds open, with their read positions.
std::map<std::string, long long> openFilePositions(const std::string& folder) {
  std::map<std::string, long long> positions;
  for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    const std::string target = std::filesystem::read_symlink(fd.path(), error).string();
    if (error || target.rfind(folder + "/", 0) != 0) continue;
    std::ifstream info("/proc/self/fdinfo/" + fd.path().filename().string());
    std::string key;
    long long position = -1;
    info >> key >> position;  // "pos: N" comes first
    positions[target] = position;
  }
  return positions;
}

// True when no other thread of this process is running or waiting for the
// disk: the hashing threads all sleep in a pause (or wait for each other at
// the end), so none is between two reads. Read from the threads' own states,
// as a fixed wait may end before a thread the machine starved finishes its block.
bool othersAsleep() {
  const std::string self = std::to_string(::syscall(SYS_gettid));
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
    if (task.path().filename() == self) continue;
    std::ifstream stat(task.path() / "stat");
    std::string text;
    std::getline(stat, text);
    const size_t name = text.rfind(')');  // the state follows the name, which may hold anything
    if (name == std::string::npos || name + 2 >= text.size()) continue;  // it ended meanwhile
    const char state = text[name + 2];
    if (state == 'R' || state == 'D') return false;
  }
  return true;
}

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
class SearchStopTest : public testing::SearchStateTest {
 protected:
  void SetUp() override {
    SearchStateTest::SetUp();
    setHashThreadCount(kThreads);
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
    setHashThreadCount(0);
    SearchStateTest::TearDown();
  }

  // What the steps before the passes leave in the lists.
  void listFiles() {
    for (int i = 0; i < kFileCount; ++i) {
      const std::string file = path("big" + std::to_string(i));
      gPathList.push_back(file);
      FileEntry entry{file, kFileSize, {}, {}, {}};
      entry.fileId = fileIdOf(file).value_or(FileId{});
      gFileEntries.push_back(std::move(entry));
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
  const int descriptorsBefore = openDescriptors();
  for (const HashKind kind : {HashKind::Crc32, HashKind::Md5, HashKind::Sha1}) {
    SCOPED_TRACE(static_cast<int>(kind));
    startPass(kind);
    // Several threads in the middle of their files.
    EXPECT_TRUE(waitFor([this] { return openFilePositions(path()).size() >= 2; }));
    gStopRequested = true;
    ASSERT_TRUE(workerEnds());
    worker_.join();
    EXPECT_LT(gSearchProgress.load(), kFileCount);
    EXPECT_EQ(testing::openFilesUnder(path()), 0);
    EXPECT_EQ(openDescriptors(), descriptorsBefore);
    clearSearchLists();
    EXPECT_TRUE(gPathList.empty());
    EXPECT_TRUE(gFileEntries.empty());

    // Ready for the next search.
    resetSearchState();
    listFiles();
  }
}

TEST_F(SearchStopTest, PauseHoldsEveryThreadBeforeItsNextBlock) {
  const int descriptorsBefore = openDescriptors();
  startPass(HashKind::Sha1);
  ASSERT_TRUE(waitFor([this] { return openFilePositions(path()).size() >= 2; }));
  gPauseFlag = 1;
  ASSERT_TRUE(waitFor(othersAsleep));
  const auto held = openFilePositions(path());
  const int64_t progress = gSearchProgress.load();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(openFilePositions(path()), held);  // no thread read a block meanwhile
  EXPECT_EQ(gSearchProgress.load(), progress);
  EXPECT_LT(progress, kFileCount);
  EXPECT_TRUE(worker_.running());

  gPauseFlag = 0;
  ASSERT_TRUE(workerEnds());
  worker_.join();
  EXPECT_EQ(gSearchProgress.load(), kFileCount);
  EXPECT_EQ(gFileEntries.size(), static_cast<size_t>(kFileCount));
  EXPECT_EQ(openDescriptors(), descriptorsBefore);
}

TEST_F(SearchStopTest, ReadErrorInTheMiddleOfOneFileTakesOnlyThatFile) {
  // One file is cut short while a thread is in the middle of it; the reading
  // ends there and only that file leaves the search. The file is picked once
  // the pause holds every thread, so its thread cannot finish it meanwhile.
  startPass(HashKind::Crc32);
  ASSERT_TRUE(waitFor([this] {
    for (const auto& [file, position] : openFilePositions(path())) {
      if (position > 0) return true;
    }
    return false;
  }));
  gPauseFlag = 1;
  ASSERT_TRUE(waitFor(othersAsleep));
  std::string victim;
  for (const auto& [file, position] : openFilePositions(path())) {
    if (position > 4096 && position < kFileSize) victim = file;
  }
  ASSERT_FALSE(victim.empty()) << "no thread held a file in the middle";
  ASSERT_EQ(::truncate(victim.c_str(), 4096), 0);
  gPauseFlag = 0;
  ASSERT_TRUE(workerEnds());
  worker_.join();
  EXPECT_EQ(gSearchProgress.load(), kFileCount);
  ASSERT_EQ(gFileEntries.size(), static_cast<size_t>(kFileCount - 1));
  for (const FileEntry& entry : gFileEntries) EXPECT_NE(entry.filePath, victim);
  EXPECT_EQ(testing::openFilesUnder(path()), 0);
}

}  // namespace
}  // namespace zandrel
