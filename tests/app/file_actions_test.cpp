// Delete, Move and Copy of the checked results, through the real window.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <utility>

#include "app/program_state.h"
#include "engine/worker_thread.h"
#include "results/file_actions.h"
#include "results/file_operations.h"
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
  // Delete, answering the failure box should one come.
  void deleteChecked() {
    drive::forgetDialogs();
    drive::answerNextDialog(Answer::Yes);
    drive::answerNextDialog(Answer::Ok);
    drive::clickButton(DeleteButton);
    settle();
  }
  // The failure box of a Delete whose files of these names stayed: the rows
  // that name them, last row first.
  std::string notRemovedText(const std::set<std::string>& stayed) {
    std::string text = "The following files could not be removed.\n\n";
    const std::vector<std::string> names = files();
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
      if (stayed.count(*name)) text += "- " + *name + "\n";
    }
    return text;
  }
  void searchSubfoldersOf(const std::vector<std::string>& locations) {
    drive::dropFiles(LocationsList, locations);
    drive::toggleCheckBox(SubdirsCheckBox);
    settle();
    drive::activateMenuItem(StartSearchTool);
    settle();
  }

  // Ways a listed file stops being a copy before the Delete. The files were
  // made with a modification time long past, so any write gives a new one.
  struct Change {
    const char* what;
    std::function<void(const std::string& file)> apply;
  };
  std::vector<Change> changes() {
    const std::string elsewhere = writeFile("elsewhere/other", "a file nobody searched");
    return {
        {"bytes appended", [](const std::string& file) { std::ofstream(file, std::ios::app) << "more"; }},
        {"rewritten at the same size", [](const std::string& file) { overwriteInPlace(file); }},
        {"replaced by a link", [elsewhere](const std::string& file) {
           fs::remove(file);
           fs::create_symlink(elsewhere, file);
         }},
    };
  }
  static void overwriteInPlace(const std::string& file) {
    const std::string bytes(fs::file_size(file), '#');
    const int fd = open(file.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(pwrite(fd, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
    close(fd);
  }
  static void setModified(const std::string& file, time_t seconds, long nanoseconds = 0) {
    const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0) << file;
  }
  std::string oldFile(const std::string& name, const std::string& content) {
    const std::string file = writeFile(name, content);
    setModified(file, 1000000000, 123456789);
    return file;
  }
};

TEST_F(FileActionsTest, DeleteRemovesWhatWentAndListsWhatStayed) {
  // Copies of the unchecked file, as a group's files are.
  const std::string first = writeFile("a/one.txt", "same");
  const std::string second = writeFile("b/two.txt", "same");
  const std::string third = writeFile("c/three.txt", "same");
  const std::string kept = writeFile("c/unchecked.txt", "same");
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

// A row of the search names the file the search compared: a file changed
// since then is no copy any more and stays, listed. A location that is a link
// to a file is taken as that link to that file: unchanged, the link goes.
TEST_F(FileActionsTest, DeleteKeepsASearchedFileThatChangedSinceTheSearch) {
  std::vector<std::pair<std::string, std::function<void(const std::string&)>>> changed;
  int group = 0;
  for (const Change& change : changes()) {
    const std::string content = "copy " + std::to_string(++group) + " " + change.what;
    oldFile("tree/" + std::to_string(group) + "/a", content);
    changed.emplace_back(oldFile("tree/" + std::to_string(group) + "/b", content), change.apply);
  }
  // Same bytes, but the time is no longer the one the search saw.
  oldFile("tree/touched/a", "a touched pair");
  const std::string touched = oldFile("tree/touched/b", "a touched pair");
  changed.emplace_back(touched, [](const std::string& file) { setModified(file, 1000000000, 123456790); });
  oldFile("tree/same/a", "an unchanged pair");
  const std::string unchanged = oldFile("tree/same/b", "an unchanged pair");
  // Locations that are links to files outside the tree, each with a copy inside.
  const std::string target = oldFile("outside/target", "a linked copy");
  oldFile("tree/linked/a", "a linked copy");
  fs::create_symlink(target, path("zlink"));
  const std::string movedTarget = oldFile("outside/grown", "a linked copy that grows");
  oldFile("tree/linked2/a", "a linked copy that grows");
  fs::create_symlink(movedTarget, path("zlink2"));

  searchSubfoldersOf({path("tree"), path("zlink"), path("zlink2")});
  ASSERT_EQ(ui::rowCount(ResultsList), 14);
  drive::clickButton(SelectDuplicatesButton);
  settle();
  drive::clickColumnTitle(ResultsList, FilenameColumn);  // the records follow their rows
  std::set<std::string> stayed;
  for (const auto& [file, apply] : changed) {
    apply(file);
    stayed.insert(file);
  }
  std::ofstream(movedTarget, std::ios::app) << "!";
  stayed.insert(path("zlink2"));
  const std::string expectedBox = notRemovedText(stayed);

  deleteChecked();
  EXPECT_EQ(drive::lastDialogText(), expectedBox);
  EXPECT_EQ(ui::rowCount(ResultsList), 12);
  for (int row = 0; row < ui::rowCount(ResultsList); ++row) {
    const std::string file = ui::rowText(ResultsList, row, FilenameColumn);
    EXPECT_EQ(rowChecked(ResultsList, row), stayed.count(file) == 1) << file;
    EXPECT_TRUE(fs::exists(fs::symlink_status(file))) << file;
  }
  EXPECT_FALSE(fs::exists(unchanged));
  EXPECT_FALSE(fs::exists(fs::symlink_status(path("zlink"))));
  EXPECT_EQ(readAll(target), "a linked copy");
  EXPECT_TRUE(fs::is_symlink(changed[2].first));
}

// Rows that came from elsewhere carry no record: a checked file goes only as
// a byte-for-byte copy of a file of its group that stays, compared now.
TEST_F(FileActionsTest, DeleteKeepsAnImportedFileThatIsNoCopyOfOneThatStays) {
  struct Case {
    std::string what;
    std::function<void(const std::string& staying, const std::string& checked)> apply;
    bool deleted;
  };
  std::vector<Case> cases;
  for (const Change& change : changes()) {
    cases.push_back({change.what, [apply = change.apply](const std::string&, const std::string& file) { apply(file); },
                     false});
  }
  cases.push_back({"rewritten at the same size, modification time put back",
                   [](const std::string&, const std::string& file) {
                     overwriteInPlace(file);
                     setModified(file, 1000000000, 123456789);
                   },
                   false});
  cases.push_back({"the file that stays changed",
                   [](const std::string& staying, const std::string&) { overwriteInPlace(staying); }, false});
  cases.push_back({"unchanged", [](const std::string&, const std::string&) {}, true});
  cases.push_back({"only its modification time changed",
                   [](const std::string&, const std::string& file) { setModified(file, 1200000000); }, true});
  cases.push_back({"no file of its group stays",
                   [](const std::string& staying, const std::string&) { fs::remove(staying); }, true});
  // Larger than a block of the comparison, differing only in the last byte.
  std::string big(700000, 'b');
  cases.push_back({"the last byte of a large file rewritten",
                   [](const std::string&, const std::string& file) {
                     const int fd = open(file.c_str(), O_WRONLY);
                     ASSERT_GE(fd, 0);
                     ASSERT_EQ(pwrite(fd, "#", 1, 699999), 1);
                     close(fd);
                   },
                   false});

  std::set<std::string> stayed;
  std::vector<std::string> gone;
  for (size_t i = 0; i < cases.size(); ++i) {
    const std::string group = std::to_string(i + 1);
    const std::string content = i + 1 == cases.size() ? big : "copy " + group + " " + cases[i].what;
    const std::string staying = oldFile("data/" + group + "/a", content);
    const std::string checked = oldFile("data/" + group + "/b", content);
    addRow(staying, false, group);
    addRow(checked, true, group);
    cases[i].apply(staying, checked);
    (cases[i].deleted ? gone.push_back(checked) : void(stayed.insert(checked)));
  }
  const std::string expectedBox = notRemovedText(stayed);
  deleteChecked();
  EXPECT_EQ(drive::lastDialogText(), expectedBox);
  for (const std::string& file : gone) EXPECT_FALSE(fs::exists(fs::symlink_status(file))) << file;
  for (const std::string& file : stayed) EXPECT_TRUE(fs::exists(fs::symlink_status(file))) << file;
  EXPECT_EQ(ui::rowCount(ResultsList), static_cast<int>(2 * cases.size() - gone.size()));
}

// An imported list carries no record of the search it came from, even when
// the search made it in this very run: the bytes decide.
TEST_F(FileActionsTest, AListImportedAfterASearchIsJudgedByItsBytes) {
  computeEscapeTokens();
  oldFile("pair/a", "pair");
  const std::string touched = oldFile("pair/b", "pair");
  searchSubfoldersOf({path("pair")});
  ASSERT_EQ(ui::rowCount(ResultsList), 2);
  drive::clickButton(SelectDuplicatesButton);
  settle();
  setModified(touched, 1200000000);
  deleteChecked();
  EXPECT_EQ(drive::lastDialogText(), "The following files could not be removed.\n\n- " + touched + "\n");

  const std::string results = path("results.txt");
  drive::answerNextDialog(Answer::Ok, {results});
  drive::clickButton(ExportButton);
  settle();
  drive::answerNextDialog(Answer::Ok, {results});
  drive::clickButton(ImportButton);
  settle();
  ASSERT_EQ(files(), (std::vector<std::string>{path("pair/a"), touched}));
  drive::clickButton(SelectDuplicatesButton);
  settle();
  deleteChecked();
  EXPECT_EQ(files(), std::vector<std::string>{path("pair/a")});
  EXPECT_FALSE(fs::exists(touched));
}

// A file whose thread the system refuses ends the command: it and the checked
// files still to come are listed as failed and keep their rows.
TEST_F(FileActionsTest, AFileWithoutAThreadFailsWithAllThatWouldFollow) {
  const std::string first = writeFile("a/one.txt", "same");
  const std::string second = writeFile("a/two.txt", "same");
  const std::string kept = writeFile("a/unchecked.txt", "same");
  const std::string last = writeFile("a/three.txt", "same");
  addRow(first, true);
  addRow(second, true);
  addRow(kept, false);
  addRow(last, true);
  refuseWorkerStartAfter(1);  // the last row goes first; the second has no thread

  drive::answerNextDialog(Answer::Yes);
  drive::answerNextDialog(Answer::Ok);  // the failure box
  drive::clickButton(DeleteButton);
  settle();
  EXPECT_EQ(files(), (std::vector<std::string>{first, second, kept}));
  EXPECT_FALSE(fs::exists(last));
  EXPECT_TRUE(fs::exists(first));
  EXPECT_TRUE(fs::exists(second));
  EXPECT_EQ(drive::lastDialogTitle(), "Error");
  EXPECT_EQ(drive::lastDialogText(),
            "The following files could not be removed.\n\n- " + second + "\n- " + first + "\n");
  EXPECT_FALSE(ui::windowExists(ProgressWindow));
}

TEST_F(FileActionsTest, ProgressWindowNamesTheCommandAndHasAMinimizeBox) {
  const struct {
    int button;
    Answer answer;
    const char* title;
  } commands[] = {
      {DeleteButton, Answer::Yes, "Removing files"},
      {MoveButton, Answer::Ok, "Moving files"},
      {CopyButton, Answer::Ok, "Copying files"},
  };
  const std::string folder = makeFolder("to");
  for (const auto& command : commands) {
    SCOPED_TRACE(command.title);
    ui::clearRows(ResultsList);
    addRow(writeFile("from/" + std::string(command.title), "x"), true);
    const testing::WindowWatch watch(ProgressWindow);
    run(command.button, command.answer, {folder});
    ASSERT_EQ(watch.shown().size(), 1u);
    EXPECT_EQ(watch.shown()[0].title, command.title);
    testing::expectFixedWithMinimizeBox(watch.shown()[0]);
    EXPECT_FALSE(ui::windowExists(ProgressWindow));
  }
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

// Two cameras' folders, each a group of its own, whose files share a name,
// every row checked and moved into one folder: the first to come takes the
// name, every later one fails, keeps its file and its row and is listed.
TEST_F(FileActionsTest, MoveIntoOneFolderNeverReplacesAFileOfTheSameName) {
  const testing::ShmFolder shm;
  for (const std::string& folder : {makeFolder("to"), shm.path()}) {
    SCOPED_TRACE(folder);
    if (folder.empty()) continue;
    ui::clearRows(ResultsList);
    const std::string a1 = writeFile("cam1/IMG_0001.JPG", "AAA");
    const std::string a2 = writeFile("cam1/copy/IMG_0001.JPG", "AAA");
    const std::string b1 = writeFile("cam2/IMG_0001.JPG", "BBB");
    const std::string b2 = writeFile("cam2/copy/IMG_0001.JPG", "BBB");
    addRow(a1, true, "1");
    addRow(a2, true, "1");
    addRow(b1, true, "2");
    addRow(b2, true, "2");
    drive::answerNextDialog(Answer::Ok, {folder});
    drive::answerNextDialog(Answer::Ok);  // the failure box
    drive::clickButton(MoveButton);
    settle();
    // The last row goes first and takes the name.
    EXPECT_EQ(readAll(folder + "/IMG_0001.JPG"), "BBB");
    EXPECT_FALSE(fs::exists(b2));
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"IMG_0001.JPG"});
    EXPECT_EQ(files(), (std::vector<std::string>{a1, a2, b1}));
    for (int row = 0; row < 3; ++row) EXPECT_TRUE(rowChecked(ResultsList, row)) << row;
    EXPECT_EQ(readAll(a1), "AAA");
    EXPECT_EQ(readAll(a2), "AAA");
    EXPECT_EQ(readAll(b1), "BBB");
    EXPECT_EQ(drive::lastDialogText(),
              "The following files could not be moved.\n\n- " + b1 + "\n- " + a2 + "\n- " + a1 + "\n");
    EXPECT_EQ(gMoveProgress.load(), 4);
    fs::remove_all(path("cam1"));
    fs::remove_all(path("cam2"));
    fs::remove(folder + "/IMG_0001.JPG");
  }
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

// A file saved by rename while the move copies it: the saved version stays
// where it was, with its row, and the old bytes appear nowhere else.
TEST_F(FileActionsTest, MoveAcrossFileSystemsKeepsAFileSavedDuringItsCopy) {
  const testing::ShmFolder folder;
  if (!folder.onAnotherFileSystemThan(path())) GTEST_SKIP() << "no second file system";
  const std::string& shm = folder.path();
  const std::string plain = writeFile("from/plain.txt", std::string(700000, 'p'));
  const std::string saved = writeFile("from/saved.txt", std::string(700000, 'o'));
  addRow(plain, true);
  addRow(saved, true);  // the last row goes first
  bool swapped = false;
  runAfterEachCopyBlock([&] {
    if (std::exchange(swapped, true)) return;
    std::ofstream(path("from/.saved.txt.new")) << "new version";
    fs::rename(path("from/.saved.txt.new"), saved);
  });
  drive::answerNextDialog(Answer::Ok, {shm});
  drive::answerNextDialog(Answer::Ok);  // the failure box
  drive::clickButton(MoveButton);
  settle();
  runAfterEachCopyBlock({});
  EXPECT_TRUE(swapped);
  EXPECT_EQ(files(), std::vector<std::string>{saved});
  EXPECT_TRUE(rowChecked(ResultsList, 0));
  EXPECT_EQ(drive::lastDialogText(), "The following files could not be moved.\n\n- " + saved + "\n");
  EXPECT_EQ(readAll(saved), "new version");
  EXPECT_EQ(namesIn(shm), std::vector<std::string>{"plain.txt"});
  EXPECT_FALSE(fs::exists(plain));
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
  EXPECT_EQ(ui::rowCount(ResultsList), 1);  // the file is still where its row says
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

// An imported results file can name anything: only regular files are acted on.
TEST_F(FileActionsTest, RowsThatAreNoRegularFileAreLeftAloneAndListed) {
  const std::string fifo = path("odd/pipe");
  makeFolder("odd");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string folder = makeFolder("odd/folder");
  writeFile("odd/folder/inside.txt", "inside");
  const struct {
    int button;
    const char* header;
  } cases[] = {{DeleteButton, "The following files could not be removed."},
               {MoveButton, "The following files could not be moved."},
               {CopyButton, "The following files could not be copied."}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.header);
    ui::clearRows(ResultsList);
    addRow(fifo, true);
    addRow(folder, true);
    const std::string target = makeFolder("to");
    drive::answerNextDialog(c.button == DeleteButton ? Answer::Yes : Answer::Ok, {target});
    drive::answerNextDialog(Answer::Ok);  // the failure box
    drive::clickButton(c.button);
    settle();
    EXPECT_EQ(files(), (std::vector<std::string>{fifo, folder}));
    const std::string first = c.button == CopyButton ? fifo : folder;  // Copy goes first to last
    const std::string second = c.button == CopyButton ? folder : fifo;
    EXPECT_EQ(drive::lastDialogText(), std::string(c.header) + "\n\n- " + first + "\n- " + second + "\n");
    EXPECT_EQ(fs::status(fifo).type(), fs::file_type::fifo);
    EXPECT_EQ(readAll(folder + "/inside.txt"), "inside");
    EXPECT_TRUE(namesIn(target).empty());
  }
}

TEST_F(FileActionsTest, CopyNeverReplacesAPipeOfTheSameName) {
  const std::string file = writeFile("from/name", "data");
  makeFolder("to");
  ASSERT_EQ(mkfifo(path("to/name").c_str(), 0600), 0);
  fs::create_directory_symlink(path("to"), path("link to folder"));
  for (const std::string& folder : {path("to"), path("link to folder")}) {
    SCOPED_TRACE(folder);
    ui::clearRows(ResultsList);
    addRow(file, true);
    drive::answerNextDialog(Answer::Ok, {folder});
    drive::answerNextDialog(Answer::Ok);
    drive::clickButton(CopyButton);
    settle();
    EXPECT_EQ(drive::lastDialogText(), "The following files could not be copied.\n\n- " + file + "\n");
    drive::answerNextDialog(Answer::Ok, {folder});
    drive::answerNextDialog(Answer::Ok);
    drive::clickButton(MoveButton);
    settle();
    EXPECT_EQ(drive::lastDialogText(), "The following files could not be moved.\n\n- " + file + "\n");
    EXPECT_EQ(files(), std::vector<std::string>{file});
    EXPECT_EQ(fs::status(path("to/name")).type(), fs::file_type::fifo);
    EXPECT_EQ(namesIn(path("to")), std::vector<std::string>{"name"});
    EXPECT_EQ(readAll(file), "data");
  }
}

// The only copy of a file, listed twice through links: the row that stays keeps it.
TEST_F(FileActionsTest, AFileIsNeverDeletedUnderTheNameOfARowThatStays) {
  const std::string real = writeFile("data/dupdir/x1", "only copy");
  fs::create_directory_symlink(path("data/dupdir"), path("data/dlink"));
  fs::create_symlink(real, path("data/a_link"));
  fs::create_hard_link(real, path("data/hard"));
  const std::string other = writeFile("data/other", "only copy");
  for (const std::string& twin : {path("data/dlink/x1"), path("data/a_link"), path("data/hard")}) {
    SCOPED_TRACE(twin);
    ui::clearRows(ResultsList);
    addRow(twin, false);
    addRow(real, true);
    addRow(other, false, "2");  // another group: not its twin
    drive::answerNextDialog(Answer::Yes);
    drive::answerNextDialog(Answer::Ok);
    drive::clickButton(DeleteButton);
    settle();
    EXPECT_EQ(drive::lastDialogText(), "The following files could not be removed.\n\n- " + real + "\n");
    EXPECT_EQ(files(), (std::vector<std::string>{twin, real, other}));
    EXPECT_EQ(readAll(real), "only copy");
  }
  // With both rows checked the user asked for both to go.
  ui::clearRows(ResultsList);
  addRow(path("data/hard"), true);
  addRow(real, true);
  run(DeleteButton, Answer::Yes);
  EXPECT_EQ(ui::rowCount(ResultsList), 0);
  EXPECT_FALSE(fs::exists(real));
}

// The worker that finished its move when the stop came still moved the file:
// its row goes, so the list matches the disk.
TEST_F(FileActionsTest, StopDuringTheLastStepsOfAMoveKeepsItsSuccess) {
  gFileActionStopRequested = true;
  gSourceFile = writeFile("from/moved.bin", std::string(3 * 512000, 'm'));
  gTargetFile = makeFolder("to") + "/moved.bin";
  gOperationSucceeded = 0;
  moveFileWorker();
  gFileActionStopRequested = false;
  EXPECT_EQ(gOperationSucceeded.load(), 1);
  EXPECT_FALSE(fs::exists(gSourceFile));

  // Through the window: the close request waits in the queue when the worker starts.
  const testing::ShmFolder shm;
  ASSERT_FALSE(shm.path().empty());
  for (const std::string& folder : {path("to"), shm.path()}) {
    SCOPED_TRACE(folder);
    ui::clearRows(ResultsList);
    const std::string source = writeFile("from/big.bin", std::string(8 << 20, 'b'));
    addRow(source, true);
    addRow(writeFile("from/stays.bin", "s"), false);
    drive::answerNextDialog(Answer::Ok, {folder});
    drive::clickButton(MoveButton);
    drive::requestClose(MainWindow);
    settle();
    EXPECT_FALSE(ui::windowExists(ProgressWindow));
    EXPECT_TRUE(ui::windowExists(MainWindow));
    // Whatever the timing, every row names a file still there and a moved file has no row.
    for (const std::string& file : files()) EXPECT_TRUE(fs::exists(file)) << file;
    const bool moved = !fs::exists(source);
    EXPECT_EQ(moved, fs::exists(folder + "/big.bin"));
    EXPECT_EQ(files().size(), moved ? 1u : 2u);
    if (moved) {
      EXPECT_EQ(fs::file_size(folder + "/big.bin"), 8u << 20);
    }
    fs::remove(folder + "/big.bin");
  }
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
