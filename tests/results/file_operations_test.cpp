#include "results/file_operations.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>

#include "tests/support/child_process.h"
#include "tests/support/immutable.h"
#include "tests/support/temp_dir.h"

namespace zandrel {
namespace {

namespace fs = std::filesystem;

using testing::namesIn;
using testing::readAll;

std::string bigContent() {
  std::string content(3 * kCopyBlockSize + 12345, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7919 % 251);
  return content;
}

// Runs the function after each block a copy writes, for as long as it lives.
class AfterEachCopyBlock {
 public:
  explicit AfterEachCopyBlock(std::function<void()> hook) { runAfterEachCopyBlock(std::move(hook)); }
  ~AfterEachCopyBlock() { runAfterEachCopyBlock({}); }
  AfterEachCopyBlock(const AfterEachCopyBlock&) = delete;
  AfterEachCopyBlock& operator=(const AfterEachCopyBlock&) = delete;
};

// The rename with RENAME_NOREPLACE fails with the error, for as long as it lives.
class NoReplaceRefused {
 public:
  explicit NoReplaceRefused(int error) { refuseNoReplaceRenameWith(error); }
  ~NoReplaceRefused() { refuseNoReplaceRenameWith(0); }
  NoReplaceRefused(const NoReplaceRefused&) = delete;
  NoReplaceRefused& operator=(const NoReplaceRefused&) = delete;
};

// Sets the file's modification time back a year, so any write now shows in it
// however coarse the file system's clock.
void ageFile(const std::string& file) {
  struct stat status;
  ASSERT_EQ(stat(file.c_str(), &status), 0);
  const timespec times[2] = {status.st_atim, {status.st_mtim.tv_sec - 365 * 24 * 3600, status.st_mtim.tv_nsec}};
  ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

mode_t modeOf(const std::string& file) {
  struct stat status;
  return stat(file.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

class FileOperationsTest : public testing::TempDirTest {
 protected:
  std::atomic<bool> noStop{false};
  std::atomic<bool> stopNow{true};
};

TEST_F(FileOperationsTest, CopyReplacesTargetWithWholeContent) {
  const std::string content = bigContent();
  const std::string source = writeFile("from/data.bin", content);
  const std::string target = writeFile("to/data.bin", "old");
  ASSERT_TRUE(copyFile(source, target, noStop));
  EXPECT_EQ(readAll(target), content);
  EXPECT_EQ(readAll(source), content);
  EXPECT_EQ(namesIn(path("to")), std::vector<std::string>{"data.bin"});
}

TEST_F(FileOperationsTest, CopyOntoItselfChangesNothing) {
  const std::string source = writeFile("folder/same.txt", "keep me");
  fs::create_directory_symlink(path("folder"), path("alias"));
  for (const std::string& target : {source, path("alias/same.txt")}) {
    EXPECT_TRUE(copyFile(source, target, noStop)) << target;
    EXPECT_EQ(readAll(source), "keep me") << target;
    EXPECT_TRUE(moveFile(source, target, noStop)) << target;
    EXPECT_EQ(readAll(source), "keep me") << target;
  }
  EXPECT_EQ(namesIn(path("folder")), std::vector<std::string>{"same.txt"});
}

TEST_F(FileOperationsTest, FailedOrStoppedCopyLeavesNoTrace) {
  const std::string source = writeFile("from/data.bin", bigContent());
  makeFolder("to");
  EXPECT_FALSE(copyFile(path("from/missing"), path("to/missing"), noStop));
  EXPECT_FALSE(copyFile(source, path("to/data.bin"), stopNow));
  EXPECT_FALSE(copyFile(source, path("no such folder/data.bin"), noStop));
  EXPECT_TRUE(namesIn(path("to")).empty());
  // An existing target survives a stopped copy untouched.
  const std::string target = writeFile("to/data.bin", "earlier");
  EXPECT_FALSE(copyFile(source, target, stopNow));
  EXPECT_EQ(readAll(target), "earlier");
  EXPECT_EQ(namesIn(path("to")), std::vector<std::string>{"data.bin"});
}

TEST_F(FileOperationsTest, OddNamesAreHandledByTheirBytes) {
  for (const std::string name : {"bad\xFF\xFEname.txt", "line\nfeed.txt", "star*.txt"}) {
    const std::string source = writeFile("from/" + name, "content of " + name);
    writeFile("from/decoy.txt", "decoy");
    const std::string copied = targetPathIn(path("copies"), source);
    makeFolder("copies");
    ASSERT_TRUE(copyFile(source, copied, noStop)) << name;
    EXPECT_EQ(readAll(copied), "content of " + name);
    const std::string moved = targetPathIn(path("moved"), source);
    makeFolder("moved");
    ASSERT_TRUE(moveFile(source, moved, noStop)) << name;
    EXPECT_FALSE(fs::exists(source));
    EXPECT_EQ(readAll(moved), "content of " + name);
    ASSERT_TRUE(deleteFile(moved)) << name;
    EXPECT_FALSE(fs::exists(fs::path(moved)));
    EXPECT_EQ(readAll(path("from/decoy.txt")), "decoy");
  }
}

// What may already hold the target name; a move takes the place of none of them.
struct Occupant {
  const char* name;
  fs::file_type type;   // of the entry itself, links not followed
  bool copyMayReplace;  // a copy replaces a file or a link that leads to one or nowhere
};
constexpr Occupant kOccupants[] = {{"file", fs::file_type::regular, true},
                                   {"dangling link", fs::file_type::symlink, true},
                                   {"link to file", fs::file_type::symlink, true},
                                   {"folder", fs::file_type::directory, false},
                                   {"pipe", fs::file_type::fifo, false}};

// Puts the occupant at path; a file holds "BBB".
void plant(const Occupant& occupant, const std::string& path, const std::string& elsewhere) {
  const std::string kind = occupant.name;
  if (kind == "file") std::ofstream(path) << "BBB";
  if (kind == "dangling link") fs::create_symlink(elsewhere + "/gone", path);
  if (kind == "link to file") {
    std::ofstream(elsewhere + "/linked") << "BBB";
    fs::create_symlink(elsewhere + "/linked", path);
  }
  if (kind == "folder") fs::create_directory(path);
  if (kind == "pipe") {
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  }
}

void expectOccupantKept(const Occupant& occupant, const std::string& path) {
  EXPECT_EQ(fs::symlink_status(path).type(), occupant.type);
  if (occupant.type == fs::file_type::regular || std::string(occupant.name) == "link to file") {
    EXPECT_EQ(readAll(path), "BBB");
  }
}

TEST_F(FileOperationsTest, MoveNeverTakesTheNameOfAnotherEntry) {
  testing::ShmFolder shm;
  const std::string sameFileSystem = makeFolder("to");
  for (const std::string& folder : {sameFileSystem, shm.path()}) {
    if (folder.empty()) continue;
    for (const Occupant& occupant : kOccupants) {
      SCOPED_TRACE(folder + ": " + occupant.name);
      const std::string source = writeFile("from/a", std::string(kCopyBlockSize + 1, 'A'));
      const std::string target = folder + "/a";
      plant(occupant, target, path());
      EXPECT_FALSE(moveFile(source, target, noStop));
      EXPECT_EQ(readAll(source), std::string(kCopyBlockSize + 1, 'A'));
      expectOccupantKept(occupant, target);
      EXPECT_EQ(namesIn(folder), std::vector<std::string>{"a"});  // no copy left beside it
      fs::remove_all(target);
    }
  }
}

// The target may change while the bytes are copied: what came meanwhile decides.
TEST_F(FileOperationsTest, CopyLooksAtTheTargetAgainBeforeItsLastStep) {
  const std::string source = writeFile("from/a", "AAA");
  const std::string target = makeFolder("to") + "/a";
  for (const Occupant& occupant : kOccupants) {
    SCOPED_TRACE(occupant.name);
    {
      StagedCopy copy(source, target, noStop, false);
      plant(occupant, target, path());
      EXPECT_EQ(copy.replaceTarget(), occupant.copyMayReplace);
    }
    if (occupant.copyMayReplace) {
      EXPECT_EQ(fs::symlink_status(target).type(), fs::file_type::regular);
      EXPECT_EQ(readAll(target), "AAA");
      if (fs::exists(path("linked"))) {
        EXPECT_EQ(readAll(path("linked")), "BBB");  // the link went, not its file
      }
    } else {
      expectOccupantKept(occupant, target);
    }
    EXPECT_EQ(namesIn(path("to")), std::vector<std::string>{"a"});
    fs::remove_all(target);
    fs::remove(path("linked"));
  }
  // A pipe behind a link is no file to replace either.
  ASSERT_EQ(mkfifo(path("pipe").c_str(), 0600), 0);
  StagedCopy copy(source, target, noStop, false);
  fs::create_symlink(path("pipe"), target);
  EXPECT_FALSE(copy.replaceTarget());
  EXPECT_TRUE(fs::is_symlink(target));
  EXPECT_EQ(fs::status(target).type(), fs::file_type::fifo);
}

// Across file systems the name may be taken while the bytes are copied: the
// copy's last step refuses it, and the source stays.
TEST_F(FileOperationsTest, MoveAcrossFileSystemsNeverTakesANameTakenDuringItsCopy) {
  testing::ShmFolder shm;
  if (!shm.onAnotherFileSystemThan(path())) GTEST_SKIP() << "no second file system";
  for (const Occupant& occupant : kOccupants) {
    SCOPED_TRACE(occupant.name);
    const std::string source = writeFile("from/a", "AAA");
    const std::string target = shm.path() + "/a";
    {
      StagedCopy copy(source, target, noStop, true);
      plant(occupant, target, path());
      EXPECT_FALSE(finishMove(copy, source));
    }
    EXPECT_EQ(readAll(source), "AAA");
    expectOccupantKept(occupant, target);
    EXPECT_EQ(namesIn(shm.path()), std::vector<std::string>{"a"});
    fs::remove_all(target);
  }
  // With the name left free the same steps move the file.
  const std::string source = writeFile("from/a", "AAA");
  StagedCopy copy(source, shm.path() + "/a", noStop, true);
  EXPECT_TRUE(finishMove(copy, source));
  EXPECT_FALSE(fs::exists(source));
  EXPECT_EQ(readAll(shm.path() + "/a"), "AAA");
}

// The way a move keeps to free names where a file system does not know RENAME_NOREPLACE.
TEST_F(FileOperationsTest, LinkThenUnlinkTakesOnlyAFreeName) {
  const std::string target = makeFolder("to") + "/a";
  for (const Occupant& occupant : kOccupants) {
    SCOPED_TRACE(occupant.name);
    const std::string source = writeFile("from/a", "AAA");
    plant(occupant, target, path());
    EXPECT_EQ(linkThenUnlink(source, target), NoReplaceRename::Refused);
    EXPECT_EQ(readAll(source), "AAA");
    expectOccupantKept(occupant, target);
    fs::remove_all(target);
  }
  const std::string source = writeFile("from/a", "AAA");
  EXPECT_EQ(linkThenUnlink(source, target), NoReplaceRename::Done);
  EXPECT_FALSE(fs::exists(source));
  EXPECT_EQ(readAll(target), "AAA");
  EXPECT_EQ(namesIn(path("to")), std::vector<std::string>{"a"});

  testing::ShmFolder shm;
  if (shm.onAnotherFileSystemThan(path())) {
    EXPECT_EQ(linkThenUnlink(target, shm.path() + "/a"), NoReplaceRename::OtherFileSystem);
    EXPECT_EQ(readAll(target), "AAA");
    EXPECT_TRUE(namesIn(shm.path()).empty());
  }

  // A source whose name cannot go: the new name goes again.
  const std::string held = writeFile("locked/b", "held");
  const testing::ImmutableFlag locked(path("locked"));
  if (!locked.set()) GTEST_SKIP() << "the file system has no immutable flag (chattr +i)";
  EXPECT_EQ(linkThenUnlink(held, path("to/b")), NoReplaceRename::Refused);
  EXPECT_EQ(readAll(held), "held");
  EXPECT_EQ(namesIn(path("to")), std::vector<std::string>{"a"});
}

TEST_F(FileOperationsTest, MoveAcrossFileSystemsCopiesThenDeletes) {
  testing::ShmFolder shm;
  if (!shm.onAnotherFileSystemThan(path())) GTEST_SKIP() << "no second file system";
  const std::string content = bigContent();
  const std::string source = writeFile("from/big.bin", content);
  const std::string target = targetPathIn(shm.path(), source);
  ASSERT_TRUE(moveFile(source, target, noStop));
  EXPECT_FALSE(fs::exists(source));
  EXPECT_EQ(readAll(target), content);
  EXPECT_EQ(namesIn(shm.path()), std::vector<std::string>{"big.bin"});

  // Stopped half-way: the source stays, nothing appears on the other side.
  const std::string back = writeFile("from/again.bin", content);
  EXPECT_FALSE(moveFile(back, targetPathIn(shm.path(), back), stopNow));
  EXPECT_EQ(readAll(back), content);
  EXPECT_EQ(namesIn(shm.path()), std::vector<std::string>{"big.bin"});
}

// An editor's save by rename or a program's write while the bytes are copied
// leaves the source with bytes the copy lacks: the source stays, the copy goes.
TEST_F(FileOperationsTest, MoveAcrossFileSystemsKeepsASourceThatChangedDuringItsCopy) {
  testing::ShmFolder shm;
  if (!shm.onAnotherFileSystemThan(path())) GTEST_SKIP() << "no second file system";
  const std::string content = bigContent();
  const struct {
    const char* change;
    std::function<void(const std::string&)> make;
    std::string after;  // the source's bytes afterwards
  } cases[] = {
      {"nothing", [](const std::string&) {}, content},
      {"saved by rename",
       [&](const std::string& source) {
         std::ofstream(path("saved")) << "new version";
         fs::rename(path("saved"), source);
       },
       "new version"},
      {"rewritten at the same size",
       [](const std::string& source) {
         const int fd = open(source.c_str(), O_WRONLY);
         ASSERT_EQ(pwrite(fd, "NEW", 3, 0), 3);
         close(fd);
       },
       "NEW" + content.substr(3)},
      {"appended", [](const std::string& source) { std::ofstream(source, std::ios::app) << "more"; },
       content + "more"},
      // As a tool that keeps modification times leaves it.
      {"appended, its time put back",
       [](const std::string& source) {
         struct stat before;
         ASSERT_EQ(stat(source.c_str(), &before), 0);
         std::ofstream(source, std::ios::app) << "more";
         const timespec times[2] = {before.st_atim, before.st_mtim};
         ASSERT_EQ(utimensat(AT_FDCWD, source.c_str(), times, 0), 0);
       },
       content + "more"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.change);
    const std::string source = writeFile("from/big.bin", content);
    ageFile(source);
    bool changed = false;
    const AfterEachCopyBlock during([&] {
      if (!std::exchange(changed, true)) c.make(source);
    });
    const bool unchanged = std::string(c.change) == "nothing";
    EXPECT_EQ(moveFile(source, shm.path() + "/big.bin", noStop), unchanged);
    EXPECT_TRUE(changed);  // the change came while the bytes were copied
    if (unchanged) {
      EXPECT_FALSE(fs::exists(source));
      EXPECT_TRUE(readAll(shm.path() + "/big.bin") == content);
      fs::remove(shm.path() + "/big.bin");
    } else {
      EXPECT_TRUE(readAll(source) == c.after);
      EXPECT_TRUE(namesIn(shm.path()).empty());  // no copy of the old bytes, no hidden file
    }
  }
}

// What the withdraw of a placed copy removes must still be that copy.
TEST_F(FileOperationsTest, WithdrawLeavesAFileThatTookTheNameMeanwhile) {
  const std::string source = writeFile("from/a", "AAA");
  const std::string target = makeFolder("to") + "/a";
  {
    StagedCopy copy(source, target, noStop, false);
    ASSERT_TRUE(copy.takeFreeTarget());
    EXPECT_TRUE(copy.withdraw());
    EXPECT_TRUE(namesIn(path("to")).empty());
  }
  StagedCopy copy(source, target, noStop, false);
  ASSERT_TRUE(copy.takeFreeTarget());
  writeFile("to/other", "BBB");
  fs::rename(path("to/other"), target);
  EXPECT_FALSE(copy.withdraw());
  EXPECT_EQ(readAll(target), "BBB");
  EXPECT_EQ(readAll(source), "AAA");
}

// Some network and FUSE file systems and old kernels refuse the flag: a move
// then takes a free name by a hard link, and still never replaces one in use.
TEST_F(FileOperationsTest, MoveWhereTheNoReplaceFlagIsRefusedStillTakesOnlyAFreeName) {
  testing::ShmFolder shm;
  const bool otherFileSystem = shm.onAnotherFileSystemThan(path());
  for (const int error : {EINVAL, ENOSYS, EOPNOTSUPP}) {
    SCOPED_TRACE(error);
    const NoReplaceRefused refused(error);
    const std::string source = writeFile("from/a", "AAA");
    const std::string target = makeFolder("to") + "/a";
    ASSERT_TRUE(moveFile(source, target, noStop));
    EXPECT_FALSE(fs::exists(source));
    EXPECT_EQ(readAll(target), "AAA");

    const std::string next = writeFile("from/a", "NEXT");
    EXPECT_FALSE(moveFile(next, target, noStop));
    EXPECT_EQ(readAll(next), "NEXT");
    EXPECT_EQ(readAll(target), "AAA");
    EXPECT_EQ(namesIn(path("to")), std::vector<std::string>{"a"});

    // Across file systems the copy takes its name the same way.
    if (otherFileSystem) {
      ASSERT_TRUE(moveFile(next, shm.path() + "/a", noStop));
      EXPECT_FALSE(fs::exists(next));
      EXPECT_EQ(readAll(shm.path() + "/a"), "NEXT");
      EXPECT_EQ(namesIn(shm.path()), std::vector<std::string>{"a"});
      fs::remove(shm.path() + "/a");
    }
    fs::remove(target);
  }
}

TEST_F(FileOperationsTest, CopyAndMoveCarryThePermissionBits) {
  testing::ShmFolder shm;
  const bool otherFileSystem = shm.onAnotherFileSystemThan(path());
  makeFolder("to");
  for (const mode_t mode : {0640, 0755, 0600, 0444, 0701}) {
    SCOPED_TRACE(mode);
    const std::string source = writeFile("from/file", std::string(kCopyBlockSize + 1, 'p'));
    ASSERT_EQ(chmod(source.c_str(), mode), 0);
    ASSERT_TRUE(copyFile(source, path("to/copy"), noStop));
    EXPECT_EQ(modeOf(path("to/copy")), mode);
    fs::remove(path("to/copy"));
    if (otherFileSystem) {
      ASSERT_TRUE(moveFile(source, shm.path() + "/moved", noStop));
      EXPECT_EQ(modeOf(shm.path() + "/moved"), mode);
      fs::remove(shm.path() + "/moved");
    }
    fs::remove(source);
  }
}

constexpr uid_t kNobody = 65534;
constexpr gid_t kSharedGroup = 65533;

// Whether root may give a file in the folder to another user there.
bool mayGiveAwayIn(const std::string& folder) {
  const std::string probe = folder + "/probe";
  std::ofstream(probe) << "";
  const bool given = chown(probe.c_str(), kNobody, kNobody) == 0;
  unlink(probe.c_str());
  return given;
}

// A set-id program of another user copied by root stays that user's, or
// loses its set-id bits: it never becomes one of root's.
TEST_F(FileOperationsTest, SetIdBitsCarryOverOnlyWithTheOwner) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give a file to another user";
  testing::ShmFolder shm;
  const std::string sameFileSystem = makeFolder("to");
  const struct {
    const char* how;
    bool move;
    std::string folder;
  } cases[] = {{"copy", false, sameFileSystem},
               {"copy across file systems", false, shm.path()},
               {"move", true, sameFileSystem},
               {"move across file systems", true, shm.path()}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.how);
    if (c.folder.empty()) continue;
    const std::string source = writeFile("from/prog", "#!/bin/sh\necho set-id\n");
    ASSERT_EQ(chown(source.c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(chmod(source.c_str(), 06755), 0);
    const std::string target = c.folder + "/prog";
    ASSERT_TRUE(c.move ? moveFile(source, target, noStop) : copyFile(source, target, noStop));
    struct stat status;
    ASSERT_EQ(stat(target.c_str(), &status), 0);
    const mode_t mode = status.st_mode & 07777;
    if (status.st_uid == kNobody && status.st_gid == kNobody) {
      EXPECT_EQ(mode, 06755u);
    } else {
      EXPECT_EQ(mode, 0755u) << "owner " << status.st_uid << ", group " << status.st_gid;
      // Where root may give it, the copy is the other user's.
      EXPECT_FALSE(mayGiveAwayIn(c.folder));
    }
    fs::remove(target);
    fs::remove(source);
  }
}

// A user who may not give the copy the source's owner gets a copy of their
// own without set-id bits; the group goes along where the user is in it.
TEST_F(FileOperationsTest, ACopyOfAnotherUsersSetIdFileHasNoSetIdBits) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to run a copy as another user";
  chmod(path().c_str(), 0755);  // user 65534 may pass through
  const std::string folder = makeFolder("nobody");
  ASSERT_EQ(chown(folder.c_str(), kNobody, kNobody), 0);
  const struct {
    const char* name;
    gid_t group;
    mode_t mode;
    gid_t copyGroup;
    mode_t copyMode;
  } cases[] = {{"set-uid", 0, 06755, kNobody, 0755},
               {"set-gid of a group the user is in", kSharedGroup, 02775, kSharedGroup, 0775},
               {"sticky", 0, 01755, kNobody, 0755}};
  for (const auto& c : cases) {
    const std::string source = writeFile(std::string("root/") + c.name, std::string("#!/bin/sh\n") + c.name + "\n");
    ASSERT_EQ(chown(source.c_str(), 0, c.group), 0);
    ASSERT_EQ(chmod(source.c_str(), c.mode), 0);
  }
  const int code = testing::exitCodeInChild([&] {
    const gid_t groups[] = {kSharedGroup};
    if (setgroups(1, groups) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) return 100;
    std::atomic<bool> never{false};
    int failed = 0;
    for (const auto& c : cases) failed += !copyFile(path("root/") + c.name, folder + "/" + c.name, never);
    return failed;
  });
  ASSERT_EQ(code, 0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    struct stat status;
    ASSERT_EQ(stat((folder + "/" + c.name).c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, kNobody);
    EXPECT_EQ(status.st_gid, c.copyGroup);
    EXPECT_EQ(status.st_mode & 07777, c.copyMode);
    EXPECT_EQ(readAll(folder + "/" + c.name), readAll(path("root/") + c.name));
  }
}

// The copy takes the target name before the source goes; a source that then
// cannot go takes its copy back.
TEST_F(FileOperationsTest, MoveWhoseSourceCannotGoLeavesTheOtherSideAsItWas) {
  testing::ShmFolder shm;
  if (!shm.onAnotherFileSystemThan(path())) GTEST_SKIP() << "no second file system";
  const std::string source = writeFile("locked/file.txt", "source");
  // An immutable folder refuses to lose its entries, even to root.
  const testing::ImmutableFlag locked(path("locked"));
  if (!locked.set()) GTEST_SKIP() << "the file system has no immutable flag (chattr +i)";
  const std::string target = shm.path() + "/file.txt";
  EXPECT_FALSE(moveFile(source, target, noStop));
  EXPECT_EQ(readAll(source), "source");
  EXPECT_TRUE(namesIn(shm.path()).empty());

  std::ofstream(target) << "earlier";
  EXPECT_FALSE(moveFile(source, target, noStop));
  EXPECT_EQ(readAll(source), "source");
  EXPECT_EQ(readAll(target), "earlier");
  EXPECT_EQ(namesIn(shm.path()), std::vector<std::string>{"file.txt"});
}

TEST_F(FileOperationsTest, MoveOntoAFolderOfTheSameNameFails) {
  const std::string source = writeFile("from/name", "data");
  makeFolder("to/name/inside");
  EXPECT_FALSE(moveFile(source, path("to/name"), noStop));
  EXPECT_EQ(readAll(source), "data");
}

TEST_F(FileOperationsTest, DeleteRefusesFoldersAndMissingFiles) {
  makeFolder("folder");
  EXPECT_FALSE(deleteFile(path("folder")));
  EXPECT_FALSE(deleteFile(path("missing")));
  EXPECT_TRUE(fs::is_directory(path("folder")));
}

// Rows may name anything once a results file is imported or the disk changed.
TEST_F(FileOperationsTest, OnlyRegularFilesAreTakenAndOnlyRegularFilesReplaced) {
  const std::string fifo = path("odd/pipe");
  makeFolder("odd");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string folder = makeFolder("odd/folder");
  fs::create_symlink(fifo, path("odd/link to pipe"));
  fs::create_symlink(path("gone"), path("odd/dangling"));
  makeFolder("to");
  for (const std::string& source : {fifo, folder, path("odd/link to pipe"), path("odd/dangling"),
                                    std::string("/tmp\0/x", 7)}) {
    SCOPED_TRACE(source);
    EXPECT_FALSE(isRegularFile(source));
    EXPECT_FALSE(deleteFile(source));
    EXPECT_FALSE(copyFile(source, targetPathIn(path("to"), source), noStop));
    EXPECT_FALSE(moveFile(source, targetPathIn(path("to"), source), noStop));
  }
  EXPECT_TRUE(namesIn(path("to")).empty());
  EXPECT_EQ(fs::status(fifo).type(), fs::file_type::fifo);
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_TRUE(fs::is_symlink(path("odd/dangling")));

  // A target that is a pipe, a folder or a link to a pipe stays what it is.
  const std::string source = writeFile("from/file", "data");
  for (const char* name : {"pipe", "folder", "link to pipe"}) {
    SCOPED_TRACE(name);
    const std::string target = path("odd/") + name;
    EXPECT_FALSE(copyFile(source, target, noStop));
    EXPECT_FALSE(moveFile(source, target, noStop));
    EXPECT_EQ(readAll(source), "data");
  }
  EXPECT_EQ(fs::status(fifo).type(), fs::file_type::fifo);
  EXPECT_EQ(namesIn(path("odd")), (std::vector<std::string>{"dangling", "folder", "link to pipe", "pipe"}));

  // A link to a regular file is taken: deleting it removes the link alone.
  fs::create_symlink(source, path("from/link"));
  EXPECT_TRUE(deleteFile(path("from/link")));
  EXPECT_EQ(namesIn(path("from")), std::vector<std::string>{"file"});
  // A dangling link at the target is only a name: a copy may take its place.
  EXPECT_TRUE(copyFile(source, path("odd/dangling"), noStop));
  EXPECT_EQ(readAll(path("odd/dangling")), "data");
}

TEST_F(FileOperationsTest, DeviceReachedThroughALinkIsNeverTaken) {
  if (!fs::exists("/dev/null")) GTEST_SKIP() << "no /dev/null";
  fs::create_symlink("/dev/null", path("null"));
  makeFolder("to");
  EXPECT_FALSE(copyFile(path("null"), path("to/null"), noStop));
  EXPECT_TRUE(namesIn(path("to")).empty());
}

TEST_F(FileOperationsTest, StopAfterTheLastBlockKeepsTheWholeCopy) {
  // The stop flag is already up when the copy begins, but a file of no bytes
  // has nothing left to copy: what is whole is not thrown away.
  const std::string empty = writeFile("from/empty", "");
  makeFolder("to");
  ASSERT_TRUE(copyFile(empty, path("to/empty"), stopNow));
  EXPECT_TRUE(fs::exists(path("to/empty")));
  // A rename has no blocks at all.
  const std::string source = writeFile("from/big.bin", bigContent());
  ASSERT_TRUE(moveFile(source, path("to/big.bin"), stopNow));
  EXPECT_FALSE(fs::exists(source));
  EXPECT_EQ(readAll(path("to/big.bin")), bigContent());
}

TEST(TargetPathIn, TakesTheFilePartOfTheSource) {
  EXPECT_EQ(targetPathIn("/to", "/from/a.txt"), "/to/a.txt");
  EXPECT_EQ(targetPathIn("/to/", "/from/sub/b"), "/to/b");
  EXPECT_EQ(targetPathIn("/to/", "c"), "/to/c");
}

}  // namespace
}  // namespace zandrel
