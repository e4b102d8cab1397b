// Replacing a file whole, on real files: what is refused, what is kept, and
// writes cut short by the file-size limit, a full file system or a sticky
// folder.

#include "engine/file_replace.h"

#include <fcntl.h>
#include <grp.h>
#include <linux/capability.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sched.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
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
#include "tests/support/traced_child.h"

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

struct stat statusOf(const std::string& path) {
  struct stat status{};
  ::stat(path.c_str(), &status);
  return status;
}

void setModifiedLongAgo(const std::string& path) {
  const timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
  utimensat(AT_FDCWD, path.c_str(), times, 0);
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
      {"in place, new bytes exactly at the limit", true, "old", kLimit, true},
      {"in place, new bytes one byte over the limit", true, "old", kLimit + 1, false},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string folder = "case" + std::to_string(n++);
    const std::string file = placeFile(folder, c.old, c.inPlace ? 0755 : 0777, 0666);
    const timespec longAgo{1000000000, 0};
    setModifiedLongAgo(file);
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

// A process that may give a file away but not replace another's in a sticky
// folder (root without CAP_FOWNER, as some services run): the new file would
// carry the owner, yet the rename is refused, so the file is written in place.
TEST_F(FileReplaceTest, ARenameRefusedInAStickyFolderEndsInPlace) {
  const std::string file = placeFile("sticky", std::string(300, 'o'), 01777, 0644);
  if (chown(file.c_str(), kNobody, kNobody) != 0 || chown(path("sticky").c_str(), kNobody, kNobody) != 0) {
    GTEST_SKIP() << "cannot give a file away (needs root)";
  }
  const ino_t inode = statusOf(file).st_ino;
  const int result = inChild([&] {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (syscall(SYS_capget, &header, data) != 0) return false;
    data[CAP_FOWNER / 32].effective &= ~(1u << (CAP_FOWNER % 32));
    return syscall(SYS_capset, &header, data) == 0 && replaceFile(file, "new");
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(readAll(file), "new");
  EXPECT_EQ(statusOf(file).st_ino, inode);
  EXPECT_EQ(ownerOf(file), kNobody);
  EXPECT_EQ(namesIn(path("sticky")), std::vector<std::string>{"file"});
}

// A target of the longest name a folder takes still gets a temporary file, as
// a new file and in place of an old one: the old file is replaced, not
// rewritten, so what still has it open keeps the old bytes.
TEST_F(FileReplaceTest, TheLongestNameAFolderTakesIsReplacedThroughATemporaryFile) {
  const std::string file = path(std::string(255, 'n'));
  {
    FileReplacement replacement;
    ASSERT_TRUE(replacement.prepare(file));
    const std::vector<std::string> names = namesIn(path());
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].front(), '.');
    EXPECT_TRUE(names[0].ends_with(".tmp"));
    EXPECT_TRUE(replacement.commit("first"));
  }
  EXPECT_EQ(readAll(file), "first");

  const UniqueFd old(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
  const ino_t before = statusOf(file).st_ino;
  EXPECT_TRUE(replaceFile(file, "second"));
  EXPECT_EQ(readAll(file), "second");
  EXPECT_NE(statusOf(file).st_ino, before);
  char bytes[16] = {};
  EXPECT_EQ(::pread(old.get(), bytes, sizeof bytes, 0), 5);
  EXPECT_STREQ(bytes, "first");
  EXPECT_EQ(namesIn(path()), std::vector<std::string>{std::string(255, 'n')});
}

// A file with a second name (a dotfiles repository's, say) is rewritten in
// place: both names see the new bytes, or both the old ones where the save
// fails, and the file keeps both names.
TEST_F(FileReplaceTest, AFileWithASecondNameIsRewrittenInPlace) {
  const struct {
    const char* what;
    rlim_t fileSizeLimit;
    bool written;
  } cases[] = {
      {"saved", RLIM_INFINITY, true},
      {"save cut short by the file-size limit", 2048, false},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string folder = "case" + std::to_string(n++);
    const std::string old(3000, 'o');
    const std::string file = writeFile(folder + "/settings.ini", old);
    const std::string other = makeFolder(folder + "/repo") + "/settings.ini";
    ASSERT_EQ(::link(file.c_str(), other.c_str()), 0);
    const ino_t inode = statusOf(file).st_ino;
    const std::string bytes(5000, 'n');
    const int result = inChild([&] { return replaceFile(file, bytes); }, false, c.fileSizeLimit);
    if (result == kNoChild) GTEST_SKIP() << "cannot lower the file-size limit";
    EXPECT_EQ(result == 1, c.written);
    EXPECT_EQ(readAll(file), c.written ? bytes : old);
    EXPECT_EQ(readAll(other), c.written ? bytes : old);
    EXPECT_EQ(statusOf(file).st_ino, inode);
    EXPECT_EQ(statusOf(file).st_nlink, 2u);
    EXPECT_EQ(namesIn(path(folder)), (std::vector<std::string>{"repo", "settings.ini"}));
  }
}

// A user saving a file of another owner, or of a group the user is not in,
// in a folder the user may write: a new file would be the user's, so the
// file is rewritten and keeps both. A file a new one can take over is
// replaced as usual.
TEST_F(FileReplaceTest, AFileWhoseOwnerANewFileCannotTakeKeepsIt) {
  const struct {
    const char* what;
    uid_t owner;
    gid_t group;
    size_t newSize;
    bool written;
    bool inPlace;
  } cases[] = {
      {"root's file", 0, 0, 100, true, true},
      {"the user's file in root's group", kNobody, 0, 100, true, true},
      {"the user's own file", kNobody, kNobody, 100, true, false},
      {"root's file, save cut short by the file-size limit", 0, 0, 5000, false, true},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string folder = "case" + std::to_string(n++);
    const std::string old(300, 'o');
    const std::string file = placeFile(folder, old, 0777, 0666);
    if (chown(file.c_str(), c.owner, c.group) != 0) GTEST_SKIP() << "cannot give a file away (needs root)";
    const ino_t inode = statusOf(file).st_ino;
    const std::string bytes(c.newSize, 'n');
    const int result = inChild([&] { return replaceFile(file, bytes); }, true, 2048);
    if (result == kNoChild) GTEST_SKIP() << "cannot run a save as user 65534 (needs root)";
    EXPECT_EQ(result == 1, c.written);
    EXPECT_EQ(readAll(file), c.written ? bytes : old);
    const struct stat after = statusOf(file);
    EXPECT_EQ(after.st_uid, c.owner);
    EXPECT_EQ(after.st_gid, c.group);
    EXPECT_EQ(after.st_mode & 07777, 0666u);
    EXPECT_EQ(after.st_ino == inode, c.inPlace);
    EXPECT_EQ(namesIn(path(folder)), std::vector<std::string>{"file"});
  }
}

// A link to a file not made yet (in a repository of dotfiles, say): the file
// is made where the link points, and the link stays. Where that cannot be,
// the save fails and nothing changes.
TEST_F(FileReplaceTest, ADanglingLinkGetsItsFileWhereItPoints) {
  makeFolder("repo");
  const struct {
    const char* what;
    std::vector<std::pair<std::string, std::string>> links;  // name, where it points; saved through the first
    std::string made;                                         // none when the save fails
  } cases[] = {
      {"absolute link", {{"a", path("repo/a.ini")}}, "repo/a.ini"},
      {"relative link", {{"b", "repo/b.ini"}}, "repo/b.ini"},
      {"link to a link", {{"c", "c2"}, {"c2", "repo/c.ini"}}, "repo/c.ini"},
      {"link into a missing folder", {{"d", "missing/d.ini"}}, ""},
      {"links in a loop", {{"e", "e2"}, {"e2", "e"}}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (const auto& [name, target] : c.links) ASSERT_EQ(symlink(target.c_str(), path(name).c_str()), 0);
    const std::vector<std::string> before = namesIn(path());
    EXPECT_EQ(replaceFile(path(c.links.front().first), "new"), !c.made.empty());
    for (const auto& [name, target] : c.links) {
      EXPECT_TRUE(fs::is_symlink(path(name))) << name;
      std::error_code error;
      EXPECT_EQ(fs::read_symlink(path(name), error).string(), target) << name;
    }
    EXPECT_EQ(namesIn(path()), before);
    if (!c.made.empty()) {
      EXPECT_EQ(readAll(path(c.made)), "new");
      EXPECT_EQ(readAll(path(c.links.front().first)), "new");
    }
  }
  EXPECT_EQ(namesIn(path("repo")), (std::vector<std::string>{"a.ini", "b.ini", "c.ini"}));
}

// Opening a named pipe is already an act on it (a writer waiting for a
// reader wakes), so it is refused from its look alone, also through a link.
TEST_F(FileReplaceTest, APipeIsNeverOpened) {
  const std::string fifo = path("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  fs::create_symlink(fifo, path("link"));
  const UniqueFd watch(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
  ASSERT_TRUE(watch.valid());
  ASSERT_GE(inotify_add_watch(watch.get(), fifo.c_str(), IN_OPEN), 0);
  for (const std::string& target : {fifo, path("link")}) {
    FileReplacement replacement;
    EXPECT_FALSE(replacement.prepare(target)) << target;
    EXPECT_FALSE(replaceFile(target, "new")) << target;
  }
  char events[4096];
  EXPECT_EQ(::read(watch.get(), events, sizeof events), -1) << "the pipe was opened";
  EXPECT_TRUE(S_ISFIFO(modeOf(fifo)));
}

// A pipe put in the file's place between the look at the name and the open
// (the child is held at the open while the name changes) is refused once
// open: nothing is written to it and it stays.
TEST_F(FileReplaceTest, APipeThatTakesTheNameAfterTheLookIsRefused) {
  const std::string file = writeFile("results", "old");
  const std::string fifo = path("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  bool swapped = false;
  const int result = testing::exitCodeTraced([&] { return replaceFile(file, "new") ? 1 : 0; },
                                             [&](pid_t child, const testing::SyscallEntry& call) {
                                               if (swapped || call.entry.nr != SYS_openat) return;
                                               if (testing::textInChild(child, call.entry.args[1]) != file) return;
                                               swapped = std::rename(fifo.c_str(), file.c_str()) == 0;
                                             });
  if (result == testing::kNotTraced) GTEST_SKIP() << "cannot trace a child";
  ASSERT_TRUE(swapped);
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(S_ISFIFO(modeOf(file)));
  EXPECT_EQ(namesIn(path()), std::vector<std::string>{"results"});
}

// A file system of 64 KiB of its own, in a mount namespace of this process's
// own, so it goes with the process whatever happens.
class SmallFileSystem {
 public:
  explicit SmallFileSystem(std::string folder) : folder_(std::move(folder)) {
    mounted_ = unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
               mount("tmpfs", folder_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k,mode=0755") == 0;
  }
  ~SmallFileSystem() {
    if (mounted_) umount2(folder_.c_str(), MNT_DETACH);
  }
  SmallFileSystem(const SmallFileSystem&) = delete;
  SmallFileSystem& operator=(const SmallFileSystem&) = delete;
  bool mounted() const { return mounted_; }
  // Takes every block still free with a file of its own.
  bool fill() const {
    struct statvfs space;
    if (statvfs(folder_.c_str(), &space) != 0) return false;
    const UniqueFd filler(::open((folder_ + "/filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
    const auto free = static_cast<off_t>(space.f_bavail * space.f_frsize);
    return filler.valid() && (free == 0 || posix_fallocate(filler.get(), 0, free) == 0);
  }

 private:
  std::string folder_;
  bool mounted_ = false;
};

// A rewrite in place on a full file system: one that cannot fit does not
// start; one that the room check lets through and that still runs out of
// room half-way (a sparse old file, whose holes the new bytes fill) puts the
// old bytes back.
TEST_F(FileReplaceTest, AFullFileSystemLeavesARewriteInPlaceUndone) {
  const std::string folder = makeFolder("small");
  SmallFileSystem small(folder);
  if (!small.mounted()) GTEST_SKIP() << "cannot mount a file system (needs root)";
  const struct {
    const char* what;
    std::vector<std::pair<off_t, std::string>> pieces;  // the old file's data, holes between
    off_t size;
    size_t newSize;
    bool untouched;  // the rewrite does not even start
  } cases[] = {
      {"no room for the new bytes", {{0, std::string(4096, 'o')}}, 4096, 20000, true},
      {"a sparse old file", {{0, std::string(8192, 'a')}, {(1 << 20) - 8192, std::string(8192, 'b')}}, 1 << 20, 12288,
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (const char* name : {"file", "other", "filler"}) ::unlink((folder + "/" + name).c_str());
    const std::string file = folder + "/file";
    std::string old(static_cast<size_t>(c.size), '\0');
    {
      const UniqueFd out(::open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
      ASSERT_TRUE(out.valid());
      for (const auto& [offset, data] : c.pieces) {
        ASSERT_EQ(::pwrite(out.get(), data.data(), data.size(), offset), static_cast<ssize_t>(data.size()));
        old.replace(static_cast<size_t>(offset), data.size(), data);
      }
      ASSERT_EQ(ftruncate(out.get(), c.size), 0);
    }
    // A second name, so the file is rewritten in place.
    ASSERT_EQ(::link(file.c_str(), (folder + "/other").c_str()), 0);
    setModifiedLongAgo(file);
    ASSERT_TRUE(small.fill());

    EXPECT_FALSE(replaceFile(file, std::string(c.newSize, 'n')));
    EXPECT_EQ(readAll(file), old);
    EXPECT_EQ(readAll(folder + "/other"), old);
    if (c.untouched) {
      EXPECT_EQ(modifiedAt(file).tv_sec, 1000000000);
    }
    EXPECT_EQ(namesIn(folder), (std::vector<std::string>{"file", "filler", "other"}));
  }
}

}  // namespace
}  // namespace zandrel
