// Searches run from the main window: the progress window, Pause, Stop and
// the filled results list.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "app/event_loop.h"
#include "bridge/ui_strings.h"
#include "engine/search_state.h"
#include "engine/worker_thread.h"
#include "tests/app/window_test_support.h"

namespace zandrel {
namespace {

using testing::MainWindowTest;
using testing::Script;
using Answer = ui::testing::DialogAnswer;
namespace drive = ui::testing;

class SearchWindowTest : public MainWindowTest {
 protected:
  // Files of equal size and equal (zero) content, quick to make but slow to read.
  void makeBigTwins(int count, off_t size) {
    makeFolder("big");
    for (int i = 0; i < count; ++i) {
      const std::string file = path("big/twin" + std::to_string(i));
      const int fd = open(file.c_str(), O_CREAT | O_WRONLY, 0644);
      ASSERT_GE(fd, 0);
      ASSERT_EQ(ftruncate(fd, size), 0);
      close(fd);
    }
  }
  // Starts a search from the toolbar and returns when it has ended.
  void searchFromToolbar() {
    drive::activateMenuItem(StartSearchTool);
    settle();
  }
  void runUntil(Script& script) {
    script.start();
    searchFromToolbar();
    for (int i = 0; i < 2000 && !script.finished(); ++i) settle();
    EXPECT_TRUE(script.finished());
  }
};

TEST_F(SearchWindowTest, SearchFillsTheResultsTab) {
  writeFile("tree/a.txt", "same content");
  writeFile("tree/sub/b.txt", "same content");
  writeFile("tree/sub/c.txt", "other stuff!");  // same size, other content
  writeFile("tree/d.txt", "x");
  writeFile("tree/e.txt", "e");  // same size as d, other content
  writeFile("tree/sub/f.txt", "x");
  drive::dropFiles(LocationsList, {path("tree")});
  drive::toggleCheckBox(SubdirsCheckBox);
  drive::toggleCheckBox(Crc32CheckBox);  // with MD5, chosen from the start
  settle();
  searchFromToolbar();

  ASSERT_EQ(ui::rowCount(ResultsList), 4);
  const struct {
    const char* group;
    std::string file;
    const char* size;
  } expected[] = {{"1", path("tree/a.txt"), "12 Byte"},
                  {"1", path("tree/sub/b.txt"), "12 Byte"},
                  {"2", path("tree/d.txt"), "1 Byte"},
                  {"2", path("tree/sub/f.txt"), "1 Byte"}};
  // Groups sort by CRC32 text, so find each group's first row by its file.
  for (const auto& row : expected) {
    int found = -1;
    for (int r = 0; r < 4; ++r) {
      if (ui::rowText(ResultsList, r, FilenameColumn) == row.file) found = r;
    }
    ASSERT_GE(found, 0) << row.file;
    EXPECT_EQ(ui::rowText(ResultsList, found, SizeColumn), row.size);
    EXPECT_EQ(ui::rowText(ResultsList, found, Md5Column).size(), 32u);
    EXPECT_EQ(ui::rowText(ResultsList, found, Sha1Column), "");
    EXPECT_FALSE(ui::rowText(ResultsList, found, Crc32Column).empty());
    EXPECT_FALSE(rowChecked(ResultsList, found));
  }
  EXPECT_EQ(ui::rowText(ResultsList, 0, GroupColumn), "1");
  EXPECT_EQ(ui::rowText(ResultsList, 1, GroupColumn), "1");
  EXPECT_EQ(ui::rowText(ResultsList, 2, GroupColumn), "2");
  EXPECT_EQ(ui::gadgetState(MainPanel), ResultsTab);
  EXPECT_FALSE(ui::windowExists(ProgressWindow));
  EXPECT_TRUE(gPathList.empty());
  EXPECT_TRUE(gFileEntries.empty());

  // The next search starts by emptying the list.
  ui::setGadgetState(MainPanel, OptionsTab);
  writeFile("tree/sub/b.txt", "changed now!");
  writeFile("tree/sub/f.txt", "y");
  drive::answerNextDialog(Answer::Ok);
  searchFromToolbar();
  EXPECT_EQ(ui::rowCount(ResultsList), 0);
  EXPECT_EQ(drive::lastDialogTitle(), "Information");
  EXPECT_EQ(drive::lastDialogText(), "No duplicates found.");
  EXPECT_EQ(ui::gadgetState(MainPanel), OptionsTab);
}

TEST_F(SearchWindowTest, ProgressWindowIsTitledCheckingFilesAndHasAMinimizeBox) {
  writeFile("tree/a.txt", "same");
  writeFile("tree/b.txt", "same");
  drive::dropFiles(LocationsList, {path("tree")});
  settle();
  const testing::WindowWatch watch(ProgressWindow);
  searchFromToolbar();
  ASSERT_EQ(watch.shown().size(), 1u);
  EXPECT_EQ(watch.shown()[0].title, "Checking files");
  testing::expectFixedWithMinimizeBox(watch.shown()[0]);
  EXPECT_EQ(ui::rowCount(ResultsList), 2);
}

TEST_F(SearchWindowTest, EmptyLocationListIsRefused) {
  drive::answerNextDialog(Answer::Ok);
  searchFromToolbar();
  EXPECT_EQ(drive::lastDialogTitle(), "Error");
  EXPECT_EQ(drive::lastDialogText(), "No files/directories selected");
  EXPECT_EQ(ui::gadgetState(MainPanel), LocationsTab);
  EXPECT_FALSE(ui::windowExists(ProgressWindow));
}

TEST_F(SearchWindowTest, RefusedSizeRuleStartsNoSearch) {
  writeFile("tree/a", "1");
  writeFile("tree/b", "1");
  drive::dropFiles(LocationsList, {path("tree")});
  ui::addRow(ResultsList, -1, "old row");
  drive::chooseOption(SizeExcludeOption);
  settle();
  drive::answerNextDialog(Answer::Ok);
  searchFromToolbar();
  EXPECT_EQ(drive::lastDialogText(), "Select a positive number (above 0)");
  EXPECT_EQ(ui::rowCount(ResultsList), 0);
}

TEST_F(SearchWindowTest, PauseHoldsTheHashPassUntilResume) {
  makeBigTwins(4, 64 << 20);
  // Many small files of sizes of their own keep the early steps busy, so the
  // pause lands before the first file is fingerprinted.
  for (int i = 1; i <= 3000; ++i) writeFile("small/" + std::to_string(i), std::string(i, 's'));
  drive::dropFiles(LocationsList, {path("big"), path("small")});
  drive::toggleCheckBox(Crc32CheckBox);
  settle();

  int64_t progressWhilePaused = -1;
  std::string captionWhilePaused;
  Script script;
  script.when([] { return ui::windowExists(ProgressWindow); }, [] { drive::clickButton(PauseButton); })
      .wait(400)
      .then([&] {
        progressWhilePaused = gSearchProgress.load();
        captionWhilePaused = ui::gadgetText(PauseButton);
      })
      .wait(300)
      .then([&] {
        EXPECT_EQ(gSearchProgress.load(), progressWhilePaused);
        EXPECT_TRUE(ui::windowExists(ProgressWindow));
        drive::clickButton(PauseButton);
      });
  runUntil(script);

  EXPECT_EQ(progressWhilePaused, 0);
  EXPECT_EQ(captionWhilePaused, "Resume");
  EXPECT_EQ(ui::rowCount(ResultsList), 4);
}

TEST_F(SearchWindowTest, StopAndCloseRequestsEndTheSearch) {
  makeBigTwins(4, 64 << 20);
  drive::dropFiles(LocationsList, {path("big")});
  settle();

  for (int window : {ProgressWindow, MainWindow}) {
    SCOPED_TRACE(window);
    Script script;
    script.when([] { return ui::windowExists(ProgressWindow); }, [] { drive::clickButton(PauseButton); })
        .wait(50)
        .then([window] {
          if (window == ProgressWindow) {
            drive::clickButton(StopButton);
          } else {
            drive::requestClose(MainWindow);
          }
        });
    runUntil(script);
    EXPECT_FALSE(ui::windowExists(ProgressWindow));
    EXPECT_TRUE(ui::windowExists(MainWindow));
    EXPECT_EQ(ui::rowCount(ResultsList), 0);
    EXPECT_TRUE(gPathList.empty());
    EXPECT_TRUE(gFileEntries.empty());
    EXPECT_EQ(testing::openFilesUnder(path()), 0);
  }

  // The next search starts unpaused and runs to its end.
  Script check;
  check.when([] { return ui::windowExists(ProgressWindow); },
             [] { EXPECT_EQ(ui::gadgetText(PauseButton), "Pause"); });
  runUntil(check);
  EXPECT_EQ(ui::rowCount(ResultsList), 4);
}

// A step whose thread the system refuses ends the search as Stop does,
// whichever step it is.
TEST_F(SearchWindowTest, AStepWithoutAThreadEndsTheSearchAsStopDoes) {
  writeFile("tree/a.txt", "same content");
  writeFile("tree/b.txt", "same content");
  drive::dropFiles(LocationsList, {path("tree")});
  settle();
  const struct {
    const char* step;
    int startsBefore;
  } cases[] = {{"path collection", 0}, {"sizes", 1}, {"size grouping", 2}, {"MD5 pass", 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.step);
    ui::setGadgetState(MainPanel, OptionsTab);
    drive::forgetDialogs();
    refuseWorkerStartAfter(c.startsBefore);
    searchFromToolbar();
    EXPECT_FALSE(ui::windowExists(ProgressWindow));
    EXPECT_EQ(ui::rowCount(ResultsList), 0);
    EXPECT_TRUE(gPathList.empty());
    EXPECT_TRUE(gFileEntries.empty());
    EXPECT_EQ(ui::gadgetState(MainPanel), OptionsTab);
    EXPECT_EQ(drive::lastDialogTitle(), "");  // not even "No duplicates found."
  }
  // Only that start was refused: the next search runs to its end.
  searchFromToolbar();
  EXPECT_EQ(ui::rowCount(ResultsList), 2);
}

TEST_F(SearchWindowTest, FolderAndALinkToItNeverOfferTheOnlyCopy) {
  // data/dupdir holds x1, a file with no twin, and a real pair; data/dlink
  // leads to the same folder. Both are search locations.
  const std::string only = writeFile("data/dupdir/x1", "the only copy");
  writeFile("data/dupdir/y1", "a real pair");
  writeFile("data/dupdir/y2", "a real pair");
  std::filesystem::create_directory_symlink("dupdir", path("data/dlink"));
  drive::dropFiles(LocationsList, {path("data/dupdir"), path("data/dlink")});
  settle();
  searchFromToolbar();
  ASSERT_EQ(rows(ResultsList).size(), 2u);
  EXPECT_EQ(ui::rowText(ResultsList, 0, FilenameColumn), path("data/dlink/y1"));
  EXPECT_EQ(ui::rowText(ResultsList, 1, FilenameColumn), path("data/dlink/y2"));

  drive::clickButton(SelectDuplicatesButton);
  settle();
  drive::answerNextDialog(Answer::Yes);
  drive::clickButton(DeleteButton);
  settle();
  EXPECT_EQ(drive::lastDialogText(), "Do you really want to delete the selected files?");
  EXPECT_EQ(testing::readAll(only), "the only copy");
  EXPECT_EQ(testing::readAll(path("data/dupdir/y1")), "a real pair");
  EXPECT_FALSE(std::filesystem::exists(path("data/dupdir/y2")));
  ASSERT_EQ(ui::rowCount(ResultsList), 1);
  EXPECT_EQ(ui::rowText(ResultsList, 0, FilenameColumn), path("data/dlink/y1"));
}

TEST_F(SearchWindowTest, NoAlgorithmLeftChosenStillComparesContents) {
  // Clicks on the algorithm boxes are dropped while a search runs, so the
  // rule that keeps one chosen cannot act: all three may be off when the
  // passes are due. Files that only share a size must not become a group.
  writeFile("tree/u1", "unique one");
  writeFile("tree/u2", "unique two");
  writeFile("tree/p1", "a pair");
  writeFile("tree/p2", "a pair");
  drive::dropFiles(LocationsList, {path("tree")});
  settle();
  ui::setGadgetState(Md5CheckBox, 0);
  ASSERT_FALSE(ui::gadgetChecked(Crc32CheckBox) || ui::gadgetChecked(Md5CheckBox) || ui::gadgetChecked(Sha1CheckBox));
  searchFromToolbar();
  EXPECT_EQ(rows(ResultsList).size(), 2u);
  EXPECT_EQ(ui::rowText(ResultsList, 0, FilenameColumn), path("tree/p1"));
  EXPECT_EQ(ui::rowText(ResultsList, 1, FilenameColumn), path("tree/p2"));
  EXPECT_EQ(ui::rowText(ResultsList, 0, Md5Column).size(), 32u);
  EXPECT_TRUE(ui::gadgetChecked(Md5CheckBox));
}

}  // namespace
}  // namespace zandrel
