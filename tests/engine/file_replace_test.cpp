// Replacing a file whole, on real files: what is refused, what is kept, and
// writes cut short by the file-size limit or refused by a sticky folder.

#include "engine/file_replace.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace zandrel {
namespace {

using testing::namesIn;
using testing::readAll;
namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;
constexpr int kNoChild = 99;

// Runs body in a child, as user and group 65534 when asked and under a
// file-size limit when given one (SIGXFSZ ignored, as the program does);
// kNoChild when the child could not be set up so.
int inChild(const std::function<bool()>& body, bool asNobody = false, rlim_t fileSizeLimit = RLIM_INFINITY) {
  return testing::exitCodeInChild([&] {
    if (asNobody && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) return kNoChild;
    if (fileSizeLimit != RLIM_INFINITY) {
      signal(SIGXFSZ, SIG_IGN);
      if (!testing::limitResource(RLIMIT_FSIZE, fileSizeLimit)) return kNoChild;
    }
    return body() ? 1 : 0;
  });
}

mode_t modeOf(const std::string& path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0 ? status.st_mode : 0;
}

timespec modifiedAt(const std::string& path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0 ? status.st_mtim : timespec{};
}

uid_t ownerOf(const std::string& path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0 ? status.st_uid : static_cast<uid_t>(-1);
}

class FileReplaceTest : public testing::TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    chmod(path().c_str(), 0755);  // user 65534 may pass through
  }
  // A folder holding one file, each with its mode.
  std::string placeFile(const std::string& folder, const std::string& content, mode_t folderMode, mode_t fileMode) {
    const std::string file = writeFile(folder + "/file", content);
    chmod(file.c_str(), fileMode);
    chmod(path(folder).c_str(), folderMode);
    return file;
  }
};

// Each of these would block, act on a device or take the bytes away if it
// were opened for writing; none is, and nothing is left beside it.
TEST_F(FileReplaceTest, RefusesWhatIsNotARegularFileWithoutOpeningIt) {
  const std::string fifo = path("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // With a reader waiting, a write open of the pipe would succeed and hand it the bytes.
  const UniqueFd reader(::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  ASSERT_TRUE(reader.valid());

  const std::string socketPath = path("socket");
  const UniqueFd listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);

  makeFolder("folder");
  writeFile("plain", "x");
  // The null device's numbers, made inside the test's folder; root only.
  const bool device = mknod(path("device").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
  const std::vector<std::string> before = namesIn(path());

  std::vector<std::string> targets = {fifo, socketPath, path("folder"), path("missing/file"), path("plain/file")};
  if (device) targets.push_back(path("device"));
  for (const std::string& target : targets) {
    SCOPED_TRACE(target);
    FileReplacement replacement;
    EXPECT_FALSE(replacement.prepare(target));
    EXPECT_FALSE(replacement.ready());
    EXPECT_FALSE(replacement.commit("new bytes"));
    EXPECT_FALSE(replaceFile(target, "new bytes"));
  }
  char byte;
  EXPECT_LE(::read(reader.get(), &byte, 1), 0);  // not a byte reached the pipe
  EXPECT_TRUE(S_ISFIFO(modeOf(fifo)));
  EXPECT_TRUE(S_ISSOCK(modeOf(socketPath)));
  if (device) {
    EXPECT_TRUE(S_ISCHR(modeOf(path("device"))));
  }
  EXPECT_TRUE(fs::is_empty(path("folder")));
  EXPECT_EQ(readAll(path("plain")), "x");
  EXPECT_EQ(namesIn(path()), before);
}

TEST_F(FileReplaceTest, ReplacesTheWholeFileAndKeepsItsModeAndLinks) {
  const struct {
    const char* what;
    mode_t mode;
    std::string old;
  } cases[] = {
      {"longer old file", 0640, std::string(100000, 'o')},
      {"shorter old file", 0600, "o"},
      {"executable", 0755, "old"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    clearFolder();
    const std::string file = writeFile("results", c.old);
    chmod(file.c_str(), c.mode);
    EXPECT_TRUE(replaceFile(file, "new"));
    EXPECT_EQ(readAll(file), "new");
    EXPECT_EQ(modeOf(file) & 07777, c.mode);
    EXPECT_EQ(namesIn(path()), std::vector<std::string>{"results"});
  }

  // A new file, and one reached through a link, which stays a link.
  clearFolder();
  EXPECT_TRUE(replaceFile(path("fresh"), ""));
  EXPECT_TRUE(fs::is_regular_file(path("fresh")));
  const std::string real = writeFile("real/results", "old");
  fs::create_symlink(real, path("link"));
  EXPECT_TRUE(replaceFile(path("link"), "new"));
  EXPECT_TRUE(fs::is_symlink(path("link")));
  EXPECT_EQ(readAll(real), "new");
  EXPECT_EQ(namesIn(path("real")), std::vector<std::string>{"results"});
}

TEST_F(FileReplaceTest, AnAbandonedReplacementLeavesNothingBehind) {
  const std::string file = writeFile("results", "old");
  {
    FileReplacement replacement;
    ASSERT_TRUE(replacement.prepare(file));
    EXPECT_TRUE(replacement.ready());
    EXPECT_EQ(namesIn(path()).size(), 2u);  // the temporary file is made at once
    FileReplacement moved = std::move(replacement);
    EXPECT_FALSE(replacement.ready());
    EXPECT_TRUE(moved.ready());
  }
  EXPECT_EQ(readAll(file), "old");
  EXPECT_EQ(namesIn(path()), std::vector<std::string>{"results"});
}

// A write that the file-size limit cuts short (it stands in for a full disk)
// fails, and the old bytes stay whole: through a temporary file, and in place
// where the folder takes none, where a rewrite that cannot finish must not
// even start.
TEST_F(FileReplaceTest, AWriteCutByTheFileSizeLimitKeepsTheOldFile) {
  constexpr rlim_t kLimit = 2048;
  const struct {
    const char* what;
    bool inPlace;  // a folder that takes no temporary file, saved by user 65534
    std::string old;
    size_t newSize;
    bool written;
  } cases[] = {
      {"through a temporary file", false, "old", 5000, false},
      {"through a temporary file, old file above the limit", false, std::string(3000, 'o'), 2500, false},
      {"in place", true, "old", 5000, false},
      {"in place, old file above the limit", true, std::string(3000, 'o'), 2500, false},
      {"in place, new bytes within the limit", true, std::string(3000, 'o'), 1000, true},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string folder = "case" + std::to_string(n++);
    const std::string file = placeFile(folder, c.old, c.inPlace ? 0755 : 0777, 0666);
    const timespec longAgo{1000000000, 0};
    const timespec times[2] = {longAgo, longAgo};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    const std::string bytes(c.newSize, 'n');
    const int result = inChild([&] { return replaceFile(file, bytes); }, c.inPlace, kLimit);
    ASSERT_NE(result, -1) << "the write ended the process";
    if (result == kNoChild) GTEST_SKIP() << "cannot lower the limit or run as user 65534 (needs root)";
    EXPECT_EQ(result == 1, c.written);
    EXPECT_EQ(readAll(file), c.written ? bytes : c.old);
    if (!c.written) {
      EXPECT_EQ(modifiedAt(file).tv_sec, longAgo.tv_sec);  // not a byte of it was touched
    }
    EXPECT_EQ(namesIn(path(folder)), std::vector<std::string>{"file"});
  }
}

// In a sticky folder only the owner may replace a file, but anyone the file's
// mode lets write it may: such a save is written in place.
TEST_F(FileReplaceTest, AFileInAStickyFolderIsWrittenInPlaceByAnotherUser) {
  const struct {
    const char* what;
    mode_t fileMode;
    bool written;
  } cases[] = {
      {"writable for all", 0666, true},
      {"writable for its owner only", 0644, false},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string folder = "case" + std::to_string(n++);
    const std::string file = placeFile(folder, std::string(300, 'o'), 01777, c.fileMode);
    const int result = inChild([&] { return replaceFile(file, "new"); }, true);
    if (result == kNoChild) GTEST_SKIP() << "cannot run a save as user 65534 (needs root)";
    EXPECT_EQ(result == 1, c.written);
    EXPECT_EQ(readAll(file), c.written ? "new" : std::string(300, 'o'));
    EXPECT_EQ(ownerOf(file), getuid());
    EXPECT_EQ(modeOf(file) & 07777, c.fileMode);
    EXPECT_EQ(namesIn(path(folder)), std::vector<std::string>{"file"});
  }
}

}  // namespace
}  // namespace zandrel
