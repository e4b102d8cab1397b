#pragma once
// Each test gets a folder of its own under $TMPDIR, removed afterwards.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace zandrel::testing {

class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The test runner points TMPDIR at a folder of this test run's own.
    std::string pattern = (std::filesystem::temp_directory_path() / "zandrel-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::permissions(root_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(root_, ignored);
  }

  // Absolute path of a name inside the folder, without a trailing "/".
  std::string path(const std::string& relative = "") const {
    return relative.empty() ? root_.string() : (root_ / relative).string();
  }

  // Writes a file (making its folders) and returns its path.
  std::string writeFile(const std::string& relative, const std::string& content) {
    const std::filesystem::path file = root_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
    return file.string();
  }

  // Empties the folder, for the next case of a table.
  void clearFolder() {
    for (const auto& entry : std::filesystem::directory_iterator(root_)) std::filesystem::remove_all(entry.path());
  }

  std::string makeFolder(const std::string& relative) {
    std::filesystem::create_directories(root_ / relative);
    return (root_ / relative).string();
  }

 private:
  std::filesystem::path root_;
};

// A fresh folder on /dev/shm, for what needs a second file system beside the
// test's folder; removed with everything in it. Its path is empty when none
// could be made.
class ShmFolder {
 public:
  ShmFolder() {
    std::string pattern = "/dev/shm/zandrel-test-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ShmFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  ShmFolder(const ShmFolder&) = delete;
  ShmFolder& operator=(const ShmFolder&) = delete;
  const std::string& path() const { return path_; }
  // False also when there is no such folder.
  bool onAnotherFileSystemThan(const std::string& other) const {
    struct stat mine, theirs;
    return !path_.empty() && stat(path_.c_str(), &mine) == 0 && stat(other.c_str(), &theirs) == 0 &&
           mine.st_dev != theirs.st_dev;
  }

 private:
  std::string path_;
};

// The whole content of a file.
inline std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The names in a folder, hidden ones included, sorted.
inline std::vector<std::string> namesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Paths that this process holds open under a folder, read from /proc/self/fd.
inline int openFilesUnder(const std::string& folder) {
  int count = 0;
  for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    const std::string target = std::filesystem::read_symlink(fd.path(), error).string();
    if (!error && target.rfind(folder, 0) == 0) ++count;
  }
  return count;
}

}  // namespace zandrel::testing
