// Delete, Move and Copy of the checked results, through the real window.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "results/file_actions.h"
#include "tests/app/window_test_support.h"

namespace zandrel {
namespace {

using testing::MainWindowTest;
using testing::Script;
using Answer = ui::testing::DialogAnswer;
namespace drive = ui::testing;
namespace fs = std::filesystem;

using testing::namesIn;
using testing::readAll;

class FileActionsTest : public MainWindowTest {
 protected:
  // A results row for the file, checked or not.
  void addRow(const std::string& file, bool checked, const std::string& group = "1") {
    const int row = ui::rowCount(ResultsList);
    ui::addRow(ResultsList, -1, group);
    ui::setRowText(ResultsList, row, FilenameColumn, file);
    ui::setRowState(ResultsList, row, checked ? ui::kRowChecked : 0);
  }
  std::vector<std::string> files() {
    std::vector<std::string> names;
    for (int row = 0; row < ui::rowCount(ResultsList); ++row) {
      names.push_back(ui::rowText(ResultsList, row, FilenameColumn));
    }
    return names;
  }
  // Clicks the button and answers its question or folder dialog.
  void run(int button, Answer answer, const std::vector<std::string>& folder = {}) {
    drive::answerNextDialog(answer, folder);
    drive::clickButton(button);
    settle();
  }
};

TEST_F(FileActionsTest, DeleteRemovesWhatWentAndListsWhatStayed) {
  const std::string first = writeFile("a/one.txt", "1");
  const std::string second = writeFile("b/two.txt", "2");
  const std::string third = writeFile("c/three.txt", "3");
  const std::string kept = writeFile("c/unchecked.txt", "4");
  addRow(first, true);
  addRow(second, true);
  addRow(kept, false);
  addRow(third, true);
  // The second file turns into a folder before the delete: it cannot go.
  fs::remove(second);
  fs::create_directory(second);
  drive::selectRows(ResultsList, {2});  // highlighted but unchecked: never counts

  drive::answerNextDialog(Answer::Yes);
  drive::answerNextDialog(Answer::Ok);  // the failure box
  drive::clickButton(DeleteButton);
  settle();
  EXPECT_EQ(files(), (std::vector<std::string>{second, kept}));
  EXPECT_TRUE(rowChecked(ResultsList, 0));
  EXPECT_FALSE(fs::exists(first));
  EXPECT_FALSE(fs::exists(third));
  EXPECT_TRUE(fs::exists(kept));
  EXPECT_EQ(drive::lastDialogTitle(), "Error");
  EXPECT_EQ(drive::lastDialogText(), "The following files could not be removed.\n\n- " + second + "\n");
  EXPECT_EQ(gDeleteProgress.load(), 3);
  EXPECT_FALSE(ui::windowExists(ProgressWindow));
}

TEST_F(FileActionsTest, NoAnswerOrNoFolderChangesNothing) {
  const std::string file = writeFile("a/file.txt", "content");
  addRow(file, true);
  run(DeleteButton, Answer::No);
  EXPECT_EQ(drive::lastDialogText(), "Do you really want to delete the selected files?");
  run(MoveButton, Answer::Cancel);
  EXPECT_EQ(drive::lastDialogTitle(), "Please choose a target directory");
  run(CopyButton, Answer::Cancel);
  EXPECT_EQ(files(), std::vector<std::string>{file});
  EXPECT_EQ(readAll(file), "content");
  EXPECT_EQ(namesIn(path("a")), std::vector<std::string>{"file.txt"});
}

TEST_F(FileActionsTest, NothingCheckedDoesNothing) {
  addRow(writeFile("a/file.txt", "x"), false);
  drive::selectRows(ResultsList, {0});
  drive::forgetDialogs();
  drive::clickButton(DeleteButton);  // no question: nothing would answer it
  settle();
  EXPECT_EQ(drive::lastDialogTitle(), "");
  EXPECT_EQ(ui::rowCount(ResultsList), 1);
}

TEST_F(FileActionsTest, MoveReplacesAnExistingFileAndRemovesTheRow) {
  const std::string source = writeFile("from/same.txt", "new");
  const std::string target = writeFile("to/same.txt", "old");
  addRow(source, true);
  run(MoveButton, Answer::Ok, {path("to")});
  EXPECT_EQ(ui::rowCount(ResultsList), 0);
  EXPECT_FALSE(fs::exists(source));
  EXPECT_EQ(readAll(target), "new");
  EXPECT_EQ(gMoveProgress.load(), 1);
}

TEST_F(FileActionsTest, MoveAcrossFileSystemsCopiesAndDeletes) {
  const testing::ShmFolder folder;
  if (!folder.onAnotherFileSystemThan(path())) GTEST_SKIP() << "no second file system";
  const std::string& shm = folder.path();
  const std::string source = writeFile("from/far.bin", std::string(700000, 'f'));
  addRow(source, true);
  run(MoveButton, Answer::Ok, {shm});
  EXPECT_EQ(ui::rowCount(ResultsList), 0);
  EXPECT_FALSE(fs::exists(source));
  EXPECT_EQ(readAll(shm + "/far.bin"), std::string(700000, 'f'));
}

TEST_F(FileActionsTest, CopyKeepsRowsAndTheLastOfOneNameWins) {
  const std::string first = writeFile("a/name.txt", "first");
  const std::string second = writeFile("b/name.txt", "second");
  addRow(first, true);
  addRow(second, true);
  makeFolder("to");
  run(CopyButton, Answer::Ok, {path("to")});
  EXPECT_EQ(files(), (std::vector<std::string>{first, second}));
  EXPECT_TRUE(rowChecked(ResultsList, 0) && rowChecked(ResultsList, 1));
  EXPECT_EQ(readAll(path("to/name.txt")), "second");
  EXPECT_EQ(readAll(first), "first");
  EXPECT_EQ(gCopyProgress.load(), 2);
}

TEST_F(FileActionsTest, CopyOrMoveIntoTheFilesOwnFolderKeepsIt) {
  const std::string file = writeFile("home/keep.txt", "precious");
  fs::create_directory_symlink(path("home"), path("alias"));
  addRow(file, true);
  run(CopyButton, Answer::Ok, {path("home")});
  run(CopyButton, Answer::Ok, {path("alias")});
  EXPECT_EQ(readAll(file), "precious");
  EXPECT_EQ(ui::rowCount(ResultsList), 1);
  run(MoveButton, Answer::Ok, {path("alias")});
  EXPECT_EQ(readAll(file), "precious");
  EXPECT_EQ(namesIn(path("home")), std::vector<std::string>{"keep.txt"});
}

TEST_F(FileActionsTest, OddNamesAreDeletedByTheirOwnBytes) {
  const std::vector<std::string> names = {"bad\xFF name.txt", "line\nfeed.txt", "star*.txt"};
  for (const std::string& name : names) addRow(writeFile("odd/" + name, name), true);
  const std::string neighbour = writeFile("odd/bad? name.txt", "stays");
  writeFile("odd/line", "stays");
  run(DeleteButton, Answer::Yes);
  EXPECT_EQ(ui::rowCount(ResultsList), 0);
  EXPECT_EQ(namesIn(path("odd")), (std::vector<std::string>{"bad? name.txt", "line"}));
  EXPECT_EQ(readAll(neighbour), "stays");
}

TEST_F(FileActionsTest, CloseRequestStopsALongCopyWithoutTrace) {
  const testing::ShmFolder folder;
  ASSERT_FALSE(folder.path().empty());
  const std::string& target = folder.path();
  for (int i = 0; i < 3; ++i) {
    const std::string file = path("big/file" + std::to_string(i));
    fs::create_directories(path("big"));
    const int fd = open(file.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, 256 << 20), 0);
    close(fd);
    addRow(file, true);
  }
  int maximum = -1;
  Script script;
  script.when([] { return ui::windowExists(ProgressWindow); }, [&] { maximum = ui::progressMaximum(ProgressBar); })
      .wait(30)
      .then([] { drive::requestClose(ProgressWindow); });
  script.start();
  drive::forgetDialogs();
  drive::answerNextDialog(Answer::Ok, {target});
  drive::clickButton(CopyButton);
  settle();
  for (int i = 0; i < 1000 && !script.finished(); ++i) settle();

  EXPECT_EQ(maximum, 3);
  EXPECT_FALSE(ui::windowExists(ProgressWindow));
  EXPECT_EQ(drive::lastDialogTitle(), "Please choose a target directory");  // and no box after it
  EXPECT_LT(gCopyProgress.load(), 3);
  // Only whole copies: every file there has its full size, and no partial file.
  for (const std::string& name : namesIn(target)) {
    EXPECT_EQ(name.rfind("file", 0), 0u) << name;
    EXPECT_EQ(fs::file_size(target + "/" + name), 256u << 20) << name;
  }
  EXPECT_EQ(testing::openFilesUnder(target), 0);
}

}  // namespace
}  // namespace zandrel
