// The CSV export and import through the real window, with the drop-down
// arrows of the Export and Import buttons.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <functional>
#include <optional>

#include "app/program_state.h"
#include "app/results_import.h"
#include "config/languages.h"
#include "results/csv_format.h"
#include "tests/app/window_test_support.h"

namespace zandrel {
namespace {

using testing::MainWindowTest;
using testing::readAll;
using Answer = ui::testing::DialogAnswer;
using Cells = std::vector<std::string>;
namespace drive = ui::testing;

class CsvResultsTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    lastExportPath.clear();
    buildCsvPopupMenus();  // start-up makes them, not the window
  }
  void TearDown() override {
    ui::freeMenu(ExportPopupMenu);
    ui::freeMenu(ImportPopupMenu);
    MainWindowTest::TearDown();
  }

  void exportTo(const std::string& file) {
    drive::answerNextDialog(Answer::Ok, {file});
    drive::activateMenuItem(ExportCsvItem);
    settle();
  }
  void importFrom(const std::string& file) {
    drive::answerNextDialog(Answer::Ok, {file});
    drive::activateMenuItem(ImportCsvItem);
    settle();
  }
};

TEST_F(CsvResultsTest, ExportedRowsImportBackInTheShownOrder) {
  addResultRow({"2", "/data/b,with comma.txt", "1.00 KB", "", "", "0badc0de"}, true);
  addResultRow({"1", "/data/say \"hi\".txt", "512 Byte", "abc", "", ""});
  addResultRow({"10", "/data/line\nfeed", "3 Byte", "", "", ""});
  drive::clickColumnTitle(ResultsList, GroupColumn);  // descending by group: 10, 2, 1
  drive::clickColumnTitle(ResultsList, GroupColumn);  // ascending: 1, 2, 10
  const std::vector<Cells> shown = resultRows();

  const std::string file = path("results");
  exportTo(file);
  EXPECT_EQ(drive::lastDialogTitle(), "Save file as");
  EXPECT_EQ(lastExportPath, file + ".csv");
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ(readAll(file + ".csv"),
            "Group,Name,Size,MD5,SHA1,CRC32\r\n"
            "\"1\",\"/data/say \"\"hi\"\".txt\",\"512 Byte\",\"abc\",\"\",\"\"\r\n"
            "\"2\",\"/data/b,with comma.txt\",\"1.00 KB\",\"\",\"\",\"0badc0de\"\r\n"
            "\"10\",\"/data/line\nfeed\",\"3 Byte\",\"\",\"\",\"\"\r\n");

  ui::clearRows(ResultsList);
  addResultRow({"99", "/left over"});
  ui::setGadgetState(MainPanel, OptionsTab);
  importFrom(file + ".csv");
  EXPECT_EQ(drive::lastDialogTitle(), "Open file");
  EXPECT_EQ(resultRows(), shown);
  for (int row = 0; row < 3; ++row) EXPECT_FALSE(rowChecked(ResultsList, row)) << row;
  EXPECT_FALSE(ui::windowExists(ImportWindow));
  EXPECT_EQ(ui::gadgetState(MainPanel), OptionsTab);  // the import does not switch tabs
}

TEST_F(CsvResultsTest, ExportNamesAndReplacesFiles) {
  drive::forgetDialogs();
  drive::activateMenuItem(ExportCsvItem);  // no rows: no dialog at all
  settle();
  EXPECT_EQ(drive::lastDialogTitle(), "");

  addResultRow({"1", "/a", "3 Byte", "", "", ""});
  const std::string other = writeFile("kept.txt", "old content");
  exportTo(other);
  EXPECT_EQ(lastExportPath, other);  // an extension, whatever it is, stays
  EXPECT_EQ(readAll(other), "Group,Name,Size,MD5,SHA1,CRC32\r\n\"1\",\"/a\",\"3 Byte\",\"\",\"\",\"\"\r\n");

  drive::answerNextDialog(Answer::Cancel);
  drive::activateMenuItem(ExportCsvItem);
  settle();
  EXPECT_EQ(lastExportPath, other);

  // A folder where the file should go: nothing written, and the error box says so.
  makeFolder("taken.csv");
  drive::forgetDialogs();
  drive::answerNextDialog(Answer::Ok, {path("taken")});
  drive::answerNextDialog(Answer::Ok);
  drive::activateMenuItem(ExportCsvItem);
  settle();
  EXPECT_EQ(drive::lastDialogTitle(), "Error");
  EXPECT_EQ(drive::lastDialogText(), "Couldn't save the file");
  EXPECT_EQ(lastExportPath, path("taken.csv"));
  EXPECT_TRUE(std::filesystem::is_directory(path("taken.csv")));
  EXPECT_TRUE(std::filesystem::is_empty(path("taken.csv")));
}

TEST_F(CsvResultsTest, AnExportThatCannotBeWrittenShowsTheErrorAndKeepsTheOldFile) {
  addResultRow({"1", "/a", "3 Byte", "", "", ""});
  const std::string old(5000, 'o');
  const std::string file = writeFile("old.csv", old);
  const std::string fifo = path("pipe.csv");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const struct {
    const char* what;
    std::string target;
    rlim_t fileSizeLimit;  // 0: none
  } cases[] = {
      {"a pipe without a reader", fifo, 0},
      {"a write cut by the file-size limit", file, 16},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    runRefusedExport([] { drive::activateMenuItem(ExportCsvItem); }, c.target, c.fileSizeLimit);
    EXPECT_EQ(drive::lastDialogTitle(), "Error");
    EXPECT_EQ(drive::lastDialogText(), "Couldn't save the file");
    EXPECT_EQ(testing::namesIn(path()), (std::vector<std::string>{"old.csv", "pipe.csv"}));
    EXPECT_EQ(readAll(file), old);
  }
}

TEST_F(CsvResultsTest, ImportDropsOnePendingEventPerLineCloseRequestsToo) {
  const std::string file = writeFile("two.csv", "Group,Name,Size,MD5,SHA1,CRC32\r\n\"1\",\"/a\"\r\n\"1\",\"/b\"\r\n");
  drive::answerNextDialog(Answer::Ok, {file});
  drive::activateMenuItem(ImportCsvItem);
  drive::requestClose(MainWindow);
  drive::clickButton(InvertSelectionButton);
  drive::clickButton(InvertSelectionButton);
  settle();
  // The close request and the first Invert went with the two lines; the second Invert ran after.
  EXPECT_TRUE(ui::windowExists(MainWindow));
  ASSERT_EQ(ui::rowCount(ResultsList), 2);
  EXPECT_TRUE(rowChecked(ResultsList, 0));
  EXPECT_TRUE(rowChecked(ResultsList, 1));
}

TEST_F(CsvResultsTest, NothingReadableChangesNothing) {
  addResultRow({"1", "/kept"});
  const std::string fifo = path("pipe.csv");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string dangling = path("gone.csv");
  std::filesystem::create_symlink(path("missing.csv"), dangling);
  for (const std::string& source : {fifo, dangling, makeFolder("folder.csv")}) {
    importCsvResults(source);  // a pipe without a writer must not hang the import
    EXPECT_EQ(resultRows(), (std::vector<Cells>{{"1", "/kept", "", "", "", ""}})) << source;
  }
  drive::answerNextDialog(Answer::Cancel);
  drive::activateMenuItem(ImportCsvItem);
  settle();
  EXPECT_EQ(ui::rowCount(ResultsList), 1);
  EXPECT_FALSE(ui::windowExists(ImportWindow));
}

TEST_F(CsvResultsTest, ACellTooLongForItsColumnRefusesTheFileAndKeepsTheRows) {
  addResultRow({"1", "/kept"});
  const std::string file = writeFile("long.csv", "Group,Name,Size,MD5,SHA1,CRC32\r\n\"1\",\"/first\"\r\n\"1\",\"/" +
                                                     std::string(PATH_MAX, 'n') + "\"\r\n");
  drive::answerNextDialog(Answer::Ok);
  importCsvResults(file);
  EXPECT_EQ(drive::lastDialogTitle(), "Error");
  EXPECT_EQ(drive::lastDialogText(), "Couldn't import file \"" + file + "\"");
  EXPECT_EQ(resultRows(), (std::vector<Cells>{{"1", "/kept", "", "", "", ""}}));
  EXPECT_FALSE(ui::windowExists(ImportWindow));
}

// Every line makes a row, an empty one too, and each row costs the list its
// memory however short its cells: a file of more rows than an import takes is
// refused as it is read, whether chosen or dropped, and the list stays.
TEST_F(CsvResultsTest, AFileOfMoreRowsThanAnImportTakesIsRefusedAndTheRowsStay) {
  const std::string file =
      writeFile("empty lines.csv", std::string(kCsvHeader) + "\r\n" + std::string(kMostImportedRows + 1, '\n'));
  addResultRow({"1", "/kept", "3 Byte", "", "", "c"}, true);
  const std::vector<Cells> before = resultRows();
  const struct {
    const char* how;
    std::function<void()> import;
  } cases[] = {
      {"chosen in the dialog",
       [&] {
         drive::answerNextDialog(Answer::Ok, {file});
         drive::answerNextDialog(Answer::Ok);
         drive::activateMenuItem(ImportCsvItem);
       }},
      {"dropped on the list",
       [&] {
         drive::answerNextDialog(Answer::Ok);
         drive::dropFiles(ResultsList, {file});
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.how);
    drive::forgetDialogs();
    c.import();
    settle();
    EXPECT_EQ(drive::lastDialogTitle(), "Error");
    EXPECT_EQ(drive::lastDialogText(), "Couldn't import file \"" + file + "\"");
    EXPECT_EQ(resultRows(), before);
    EXPECT_TRUE(rowChecked(ResultsList, 0));
    EXPECT_FALSE(ui::windowExists(ImportWindow));
  }
}

TEST_F(CsvResultsTest, DropDownArrowsShowTheirCsvItemsBelowTheButtons) {
  drive::activateMenuItem(GermanItem);
  settle();
  EXPECT_EQ(ui::menuLayout(ExportPopupMenu), std::vector<std::string>{"CSV"});
  EXPECT_EQ(ui::menuLayout(ImportPopupMenu), std::vector<std::string>{"CSV"});
  addResultRow({"1", "/a"});
  ui::setGadgetState(MainPanel, ResultsTab);
  settle();

  const struct {
    int button;
    int menu;
    int item;
    const char* dialogTitle;
  } cases[] = {{ExportButton, ExportPopupMenu, ExportCsvItem, "Datei speichern unter"},
               {ImportButton, ImportPopupMenu, ImportCsvItem, "Datei öffnen"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.button);
    ASSERT_TRUE(drive::clickDropDownArrow(c.button));
    EXPECT_EQ(ui::pollEvent().kind, ui::EventKind::None);  // no click of the button itself
    int x = 0, y = 0;
    ASSERT_TRUE(drive::popupMenuShown(c.menu, &x, &y));
    const GdkRectangle button = drive::screenRect(c.button);
    EXPECT_EQ(x, button.x);
    EXPECT_EQ(y, button.y + button.height);
    drive::answerNextDialog(Answer::Cancel);
    drive::choosePopupItem(c.item);
    settle();
    EXPECT_FALSE(drive::popupMenuShown(c.menu));
    EXPECT_EQ(drive::lastDialogTitle(), c.dialogTitle);
  }
  EXPECT_EQ(ui::rowCount(ResultsList), 1);
}

TEST_F(CsvResultsTest, ExportTakesTheLongestNameAFolderTakes) {
  addResultRow({"1", "/data/a", "1 Byte", "", "", "e"});
  const std::string chosen = path(std::string(251, 'c'));  // 255 bytes with the extension added
  exportTo(chosen);
  EXPECT_EQ(drive::lastDialogTitle(), "Save file as");  // and no error box after it
  EXPECT_EQ(readAll(chosen + ".csv"), "Group,Name,Size,MD5,SHA1,CRC32\r\n\"1\",\"/data/a\",\"1 Byte\",\"\",\"\",\"e\"\r\n");
  EXPECT_EQ(testing::namesIn(path()), std::vector<std::string>{std::string(251, 'c') + ".csv"});
}

}  // namespace
}  // namespace zandrel
