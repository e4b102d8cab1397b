// Export and import of the packed results file through the real window: the
// Export and Import buttons, ImportWindow and files dropped on the results.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include "app/import_window.h"
#include "app/program_state.h"
#include "app/results_export.h"
#include "app/results_import.h"
#include "engine/worker_thread.h"
#include "results/lzma_packer.h"
#include "results/packed_results.h"
#include "tests/app/window_test_support.h"
#include "tests/support/child_process.h"
#include "tests/support/immutable.h"
#include "tests/support/process_memory.h"

namespace zandrel {
namespace {

using testing::MainWindowTest;
using testing::readAll;
using testing::Script;
using Answer = ui::testing::DialogAnswer;
namespace drive = ui::testing;
namespace fs = std::filesystem;

class PackedResultsWindowTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    computeEscapeTokens();  // start-up's work, not the window's
    lastExportPath.clear();
  }

  static void setRows(const ResultsRows& rows, bool checked = false) {
    ui::clearRows(ResultsList);
    for (const auto& cells : rows) addResultRow(cells, checked);
  }
  static bool anyRowChecked() {
    for (int row = 0; row < ui::rowCount(ResultsList); ++row) {
      if (rowChecked(ResultsList, row)) return true;
    }
    return false;
  }

  void exportTo(const std::string& file) {
    drive::answerNextDialog(Answer::Ok, {file});
    drive::clickButton(ExportButton);
    settle();
  }
  // Picks the file in the open dialog; then answers the error box when one is expected.
  void importFrom(const std::string& file, bool refused = false) {
    drive::answerNextDialog(Answer::Ok, {file});
    if (refused) drive::answerNextDialog(Answer::Ok);
    drive::clickButton(ImportButton);
    settle();
  }
  // Files that an open dialog shows are named .txt: GTK 2's file chooser leaks
  // a little for each file of a type without an icon, which the leak check
  // would take for ours.
  //
  // A results file written as the Export button writes it.
  std::string resultsFile(const std::string& name, const ResultsRows& rows) {
    return writeFile(name, packResultsFile(buildPackedText(rows, gStarEscape, gNewlineEscape)));
  }
};

const ResultsRows kOldRows = {{"1", "/old/a", "3 Byte", "", "", "c"}, {"1", "/old/b", "3 Byte", "", "", "c"}};

TEST_F(PackedResultsWindowTest, ExportedRowsImportBackAsTheyWere) {
  const ResultsRows rows = {
      {"1", "/data/star*name.txt", "12 Byte", "", "da39a3ee5e6b4b0d3255bfef95601890afd80709", "1A2B"},
      {"1", "/data/line\nfeed", "12 Byte", "", "da39a3ee5e6b4b0d3255bfef95601890afd80709", "1A2B"},
      {"2", "/data/bad\xFF byte-name", "1.50 KB", "", "356a192b7913b04c54574d18c28d46e6395428ab", "0"},
      {"2", "/data/caf\xC3\xA9", "1.50 KB", "", "356a192b7913b04c54574d18c28d46e6395428ab", "0"},
  };
  setRows(rows);
  const std::string file = writeFile("results.txt", std::string(100000, 'x'));  // replaced, not asked about
  exportTo(file);
  EXPECT_EQ(drive::lastDialogTitle(), "Save file as");
  EXPECT_EQ(lastExportPath, file);
  EXPECT_FALSE(ui::busyCursorShown(MainWindow));  // shown while it packed, gone after
  const std::optional<std::string> text = readPackedResultsFile(file);
  ASSERT_TRUE(text);
  EXPECT_NE(utf16leToUtf8(*text).find("0-1*/data/star" + gStarEscape + "name.txt\n"), std::string::npos);

  setRows(kOldRows, true);
  importFrom(file);
  EXPECT_EQ(drive::lastDialogTitle(), "Open file");
  EXPECT_EQ(resultRows(), rows);
  EXPECT_FALSE(anyRowChecked());
  EXPECT_FALSE(ui::windowExists(ImportWindow));
  EXPECT_TRUE(gImportRows.empty());
}

TEST_F(PackedResultsWindowTest, ExportWritesTheRowsInTheOrderShown) {
  setRows({{"1", "/b", "1 Byte", "", "", "c"}, {"1", "/a", "1 Byte", "", "", "c"}, {"2", "/c", "2 Byte", "", "", "d"}});
  drive::clickColumnTitle(ResultsList, FilenameColumn);
  const ResultsRows shown = resultRows();
  ASSERT_NE(shown[0][1], "/b");

  exportTo(path("sorted"));
  const std::optional<std::string> text = readPackedResultsFile(path("sorted"));
  ASSERT_TRUE(text);
  std::string expected;
  for (size_t row = 0; row < shown.size(); ++row) {
    for (size_t column = 0; column < 6; ++column) {
      expected += std::to_string(row) + "-" + std::to_string(column) + "*" + shown[row][column] + "\n";
    }
  }
  EXPECT_EQ(utf16leToUtf8(*text), expected);
}

TEST_F(PackedResultsWindowTest, ExportReplacesTheOldFileAndKeepsItsMode) {
  setRows(kOldRows);
  const std::string file = writeFile("results.txt", std::string(100000, 'o'));
  chmod(file.c_str(), 0640);
  exportTo(file);
  EXPECT_EQ(drive::lastDialogTitle(), "Save file as");  // and no box after it
  EXPECT_EQ(readPackedResultsFile(file), buildPackedText(kOldRows, gStarEscape, gNewlineEscape));
  struct stat status;
  ASSERT_EQ(stat(file.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
  EXPECT_EQ(testing::namesIn(path()), std::vector<std::string>{"results.txt"});
}

// An export that cannot be put in place says so at once and leaves what is
// at the name as it was, a file byte for byte.
TEST_F(PackedResultsWindowTest, AnExportThatCannotBeWrittenShowsTheErrorAndKeepsWhatWasThere) {
  setRows(kOldRows);
  const std::string old(5000, 'o');
  const std::string file = writeFile("old.txt", old);
  const std::string fifo = path("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);  // without a reader: a write open would wait for good
  makeFolder("folder");
  makeFolder("locked");
  const testing::ImmutableFlag locked(path("locked"));
  const struct {
    const char* what;
    std::string target;
    rlim_t fileSizeLimit;  // 0: none
  } cases[] = {
      {"a pipe", fifo, 0},
      {"a folder", path("folder"), 0},
      {"a missing folder", path("missing/results.txt"), 0},
      {"a folder that takes no file", path("locked/results.txt"), 0},
      {"a write cut by the file-size limit", file, 64},
  };
  const std::vector<std::string> before = testing::namesIn(path());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.target == path("locked/results.txt") && !locked.set()) continue;  // no immutable flag here
    runRefusedExport([] { drive::clickButton(ExportButton); }, c.target, c.fileSizeLimit);
    EXPECT_EQ(drive::lastDialogTitle(), "Error");
    EXPECT_EQ(drive::lastDialogText(), "Couldn't save the file");
    EXPECT_EQ(lastExportPath, c.target);
    EXPECT_EQ(testing::namesIn(path()), before);
    EXPECT_EQ(readAll(file), old);
  }
  EXPECT_TRUE(fs::is_empty(path("folder")));
  EXPECT_TRUE(fs::is_empty(path("locked")));
  struct stat status;
  ASSERT_EQ(stat(fifo.c_str(), &status), 0);
  EXPECT_TRUE(S_ISFIFO(status.st_mode));
  EXPECT_EQ(resultRows(), kOldRows);
}

TEST_F(PackedResultsWindowTest, CancelledOrNeedlessDialogsChangeNothing) {
  drive::forgetDialogs();
  drive::clickButton(ExportButton);  // no rows: no dialog, nothing would answer one
  settle();
  EXPECT_EQ(drive::lastDialogTitle(), "");

  setRows(kOldRows, true);
  lastExportPath = path("earlier");
  drive::answerNextDialog(Answer::Cancel);
  drive::clickButton(ExportButton);
  settle();
  EXPECT_EQ(drive::lastDialogTitle(), "Save file as");
  EXPECT_EQ(lastExportPath, path("earlier"));
  EXPECT_TRUE(testing::namesIn(path()).empty());

  drive::forgetDialogs();
  drive::answerNextDialog(Answer::Cancel);
  drive::clickButton(ImportButton);
  settle();
  EXPECT_EQ(drive::lastDialogTitle(), "Open file");  // and no box after it
  EXPECT_EQ(resultRows(), kOldRows);
}

TEST_F(PackedResultsWindowTest, DamagedFilesAreRefusedAndTheRowsStay) {
  const std::string good = packResultsFile(buildPackedText(kOldRows, gStarEscape, gNewlineEscape));
  std::string wrongCrc = good;
  wrongCrc.back() ^= 1;
  struct Case {
    const char* name;
    std::string bytes;
  };
  const std::vector<Case> cases = {
      {"empty", ""},
      {"truncated", good.substr(0, good.size() - 3)},
      {"wrong crc", wrongCrc},
      {"windows layout", good.substr(4)},
      // Cells no export writes: refused before the list is touched.
      {"name longer than a path", packResultsFile(buildPackedText(
                                      {kOldRows[0], {"1", "/" + std::string(PATH_MAX, 'n'), "1 Byte", "", "", "c"}},
                                      gStarEscape, gNewlineEscape))},
      {"huge name", packResultsFile(buildPackedText({{"1", std::string(1000000, 'n')}}, gStarEscape, gNewlineEscape))},
      {"long hash", packResultsFile(buildPackedText({{"1", "/a", "1 Byte", std::string(33, 'a')}}, gStarEscape,
                                                    gNewlineEscape))},
  };
  setRows({{"7", "/kept", "1 Byte", "", "", "c"}}, true);
  const ResultsRows before = resultRows();
  for (const Case& c : cases) {
    const std::string file = writeFile(std::string("damaged ") + c.name + ".txt", c.bytes);
    importFrom(file, true);
    EXPECT_EQ(drive::lastDialogTitle(), "Error") << c.name;
    EXPECT_EQ(drive::lastDialogText(), "Couldn't import file \"" + file + "\"") << c.name;
    EXPECT_EQ(resultRows(), before) << c.name;
    EXPECT_TRUE(rowChecked(ResultsList, 0)) << c.name;
  }
  // A file gone before the import gets the same box.
  fs::create_symlink(path("gone"), path("dangling"));
  drive::answerNextDialog(Answer::Ok);
  importResults(path("dangling"));
  EXPECT_EQ(drive::lastDialogText(), "Couldn't import file \"" + path("dangling") + "\"");
  EXPECT_EQ(resultRows(), before);
}

TEST_F(PackedResultsWindowTest, AParserWithoutAThreadRefusesTheFileAndTheRowsStay) {
  const std::string file = resultsFile("results.txt", kOldRows);
  setRows({{"7", "/kept", "1 Byte", "", "", "c"}}, true);
  const ResultsRows before = resultRows();
  refuseWorkerStartAfter(0);
  importFrom(file, true);
  EXPECT_EQ(drive::lastDialogTitle(), "Error");
  EXPECT_EQ(drive::lastDialogText(), "Couldn't import file \"" + file + "\"");
  EXPECT_EQ(resultRows(), before);
  EXPECT_FALSE(ui::windowExists(ImportWindow));
}

// Packs faster than the writer's settings; the reader takes any LZMA settings.
std::string quicklyPackedFile(const std::string& text) {
  LzmaSettings settings;
  settings.level = 0;
  std::string file = packResultsFile(text, settings);
  // A failed packing leaves only the frame.
  EXPECT_GT(file.size(), kPackedFrameSize);
  return file;
}

TEST_F(PackedResultsWindowTest, CloseRequestDuringALongImportKeepsTheOldRows) {
  ResultsRows many;
  for (int i = 0; i < 60000; ++i) {
    many.push_back({std::to_string(i / 2 + 1), "/some/rather/long/folder/name/file" + std::to_string(i) + ".dat",
                    "1.50 KB", "d41d8cd98f00b204e9800998ecf8427e", "da39a3ee5e6b4b0d3255bfef95601890afd80709", "1A"});
  }
  const std::string file = writeFile("many.txt", quicklyPackedFile(buildPackedText(many, gStarEscape, gNewlineEscape)));
  ASSERT_TRUE(readPackedResultsFile(file));
  setRows(kOldRows, true);

  int width = 0, height = 0;
  std::string status;
  Script script;
  script.when([] { return ui::windowExists(ImportWindow); },
              [&] {
                width = ui::windowWidth(ImportWindow);
                height = ui::windowHeight(ImportWindow);
                status = ui::gadgetText(ImportStatusText);
                drive::requestClose(MainWindow);  // any window's close box ends the import, never the program
              });
  script.start();
  drive::forgetDialogs();
  importFrom(file);
  for (int i = 0; i < 1000 && !script.finished(); ++i) settle();

  EXPECT_TRUE(script.finished());
  EXPECT_EQ(width, 220);
  EXPECT_EQ(height, 135);
  EXPECT_EQ(status, "Importing");
  EXPECT_FALSE(ui::windowExists(ImportWindow));
  EXPECT_TRUE(ui::windowExists(MainWindow));
  EXPECT_EQ(resultRows(), kOldRows);
  EXPECT_TRUE(rowChecked(ResultsList, 1));
  EXPECT_TRUE(gImportRows.empty());
  EXPECT_EQ(drive::lastDialogTitle(), "Open file");  // and no box after it
}

// The address space a command below may take beyond what its process holds:
// far less than each command of the table needs, far more than a box takes.
constexpr rlim_t kSpareAddressSpace = rlim_t{64} << 20;
// Rows of names near the longest path make a long text of a few rows.
constexpr int kLongRows = 20000;
std::string longName(int row) { return "/" + std::string(4000, 'n') + std::to_string(row); }

// A command that finds no memory, and the file an import of it reads (none
// for an export).
struct ShortOfMemory {
  const char* what;
  bool longList;  // the list holds kLongRows rows of long names, else kOldRows
  std::function<std::string()> source;
  std::function<void(const std::string& file)> command;
};

class ShortOfMemoryTest : public PackedResultsWindowTest {
 protected:
  // Run in the child: cuts its address space to a little more than it holds
  // and runs the command, which must fail with its box, keep the old file
  // byte for byte, leave no temporary file and the list as it was; then
  // another command must still work. Says what went wrong on the error output.
  int run(const ShortOfMemory& c) {
    if (c.longList) {
      ui::clearRows(ResultsList);
      for (int row = 0; row < kLongRows; ++row) addResultRow({"1", longName(row), "1 Byte", "", "", "c"});
    } else {
      setRows(kOldRows, true);
    }
    const int rowsBefore = ui::rowCount(ResultsList);
    const std::string old(5000, 'o');
    const std::string oldFile = writeFile("old.csv", old);
    const std::string source = c.source();
    const std::string file = source.empty() ? oldFile : source;
    const std::vector<std::string> names = testing::namesIn(path());
    const long size = testing::statusKiB("VmSize");
    if (size < 0 || !testing::limitResource(RLIMIT_AS, (static_cast<rlim_t>(size) << 10) + kSpareAddressSpace)) {
      std::fputs("cannot limit the memory", stderr);
      return 2;
    }
    drive::forgetDialogs();
    c.command(file);
    settle();
    std::string wrong;
    const auto check = [&wrong](bool good, const std::string& what) {
      if (!good) wrong += what + "; ";
    };
    check(drive::lastDialogTitle() == "Error", "no error box");
    const std::string box = source.empty() ? "Couldn't save the file" : "Couldn't import file \"" + file + "\"";
    check(drive::lastDialogText() == box, "the box says \"" + drive::lastDialogText() + "\"");
    check(readAll(oldFile) == old, "the old file changed");
    check(testing::namesIn(path()) == names, "the folder holds other files");
    check(ui::rowCount(ResultsList) == rowsBefore && (c.longList || resultRows() == kOldRows), "the rows changed");
    check(c.longList || rowChecked(ResultsList, 1), "the check marks changed");
    check(!ui::windowExists(ImportWindow), "the import window stayed");

    setRows(kOldRows);
    drive::forgetDialogs();
    drive::answerNextDialog(Answer::Ok, {path("after.csv")});
    exportCsvResults();
    check(readAll(path("after.csv")).rfind("Group,Name,Size,MD5,SHA1,CRC32\r\n\"1\",\"/old/a\"", 0) == 0,
          "the next command did not work");
    std::fputs(wrong.c_str(), stderr);
    TearDown();
    return wrong.empty() ? 0 : 1;
  }
};

// Each command runs in a child started afresh, as the toolkit's connection
// cannot be shared with a fork.
TEST_F(ShortOfMemoryTest, CommandsShortOfMemoryShowTheirBoxAndTheProgramGoesOn) {
#ifdef ZANDREL_ASAN
  GTEST_SKIP() << "the sanitizer's shadow memory takes more address space than any limit would leave";
#else
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const auto exportWith = [](const std::function<void()>& command) {
    return [command](const std::string& file) {
      drive::answerNextDialog(Answer::Ok, {file});
      drive::answerNextDialog(Answer::Ok);
      command();
    };
  };
  const auto importWith = [](void (*command)(const std::string&)) {
    return [command](const std::string& file) {
      drive::answerNextDialog(Answer::Ok);
      command(file);
    };
  };
  // The files the imports read, each as its export writes it.
  const auto longCsv = [this] {
    std::ofstream out(path("long.csv"), std::ios::binary);
    out << "Group,Name,Size,MD5,SHA1,CRC32\r\n";
    for (int row = 0; row < kLongRows; ++row) out << "\"1\",\"" << longName(row) << "\",\"1 Byte\",\"\",\"\",\"c\"\r\n";
    return path("long.csv");
  };
  const auto longPacked = [this] {
    std::string text;
    for (int row = 0; row < kLongRows / 2; ++row) {
      appendPackedRow(text, row, {"1", longName(row), "1 Byte", "", "", "c"}, gStarEscape, gNewlineEscape);
    }
    return writeFile("long.txt", quicklyPackedFile(text));
  };
  const auto none = [] { return std::string(); };
  const ShortOfMemory cases[] = {
      {"packed export, its text longer than the memory", true, none,
       exportWith([] { drive::clickButton(ExportButton); })},
      {"packed export, no memory for the packer", false, none, exportWith([] { drive::clickButton(ExportButton); })},
      {"CSV export, its text longer than the memory", true, none, exportWith(exportCsvResults)},
      {"CSV import, its cells more than the memory", false, longCsv, importWith(importCsvResults)},
      {"packed import, its text longer than the memory", false, longPacked, importWith(importResults)},
  };
  for (const ShortOfMemory& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EXIT(std::_Exit(run(c)), ::testing::ExitedWithCode(0), "");
  }
#endif
}

// Both imports show this window while they read.
TEST_F(PackedResultsWindowTest, ImportWindowCentresItsText) {
  ASSERT_TRUE(openImportWindow());
  drive::pumpEvents();
  GtkLabel* label = GTK_LABEL(drive::gadgetWidget(ImportStatusText));
  ASSERT_TRUE(gtk_widget_get_mapped(GTK_WIDGET(label)));
  EXPECT_STREQ(gtk_label_get_text(label), "Importing");
  GtkAllocation box;
  gtk_widget_get_allocation(GTK_WIDGET(label), &box);
  EXPECT_EQ(box.width, 200);
  int textX = 0, textY = 0;
  gtk_label_get_layout_offsets(label, &textX, &textY);
  PangoRectangle drawn;
  pango_layout_get_pixel_extents(gtk_label_get_layout(label), nullptr, &drawn);
  const int left = textX + drawn.x - box.x;
  const int right = box.x + box.width - (textX + drawn.x + drawn.width);
  EXPECT_GT(left, 10);
  EXPECT_LE(std::abs(left - right), 1) << "left " << left << ", right " << right;
  ui::closeWindow(ImportWindow);
}

TEST_F(PackedResultsWindowTest, ImportButtonHandsCsvFilesToTheCsvImport) {
  const std::string csv = writeFile("list.txt",
                                    "Group,Name,Size,MD5,SHA1,CRC32\r\n"
                                    "\"1\",\"/csv/a\",\"9 Byte\",\"\",\"\",\"e\"\r\n"
                                    "\"1\",\"/csv/b\",\"9 Byte\",\"\",\"\",\"e\"\r\n");
  setRows(kOldRows, true);
  drive::forgetDialogs();
  importFrom(csv);
  EXPECT_EQ(drive::lastDialogTitle(), "Open file");  // and no error box after it
  EXPECT_EQ(resultRows(), (ResultsRows{{"1", "/csv/a", "9 Byte", "", "", "e"}, {"1", "/csv/b", "9 Byte", "", "", "e"}}));
  EXPECT_FALSE(anyRowChecked());
}

TEST_F(PackedResultsWindowTest, DropImportsTheFirstFileOnly) {
  const ResultsRows first = {{"1", "/first/a", "1 Byte", "", "", "c"}, {"1", "/first/b", "1 Byte", "", "", "c"}};
  const std::string a = resultsFile("a.zrl", first);
  const std::string b = resultsFile("b.zrl", {{"1", "/second", "1 Byte", "", "", "c"}});
  const std::string c = writeFile("c.zrl", "damaged");
  setRows(kOldRows);
  drive::forgetDialogs();
  drive::dropFiles(ResultsList, {a, b, c});
  settle();
  EXPECT_EQ(resultRows(), first);
  EXPECT_EQ(drive::lastDialogTitle(), "");

  // A first path that cannot be read is refused with the box, whatever follows it.
  fs::create_symlink(path("gone"), path("dangling"));
  const std::string fifo = path("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& unreadable : {path("dangling"), path("missing"), makeFolder("folder"), fifo}) {
    drive::forgetDialogs();
    drive::answerNextDialog(Answer::Ok);
    drive::dropFiles(ResultsList, {unreadable, b});
    settle();
    EXPECT_EQ(drive::lastDialogText(), "Couldn't import file \"" + unreadable + "\"") << unreadable;
    EXPECT_EQ(resultRows(), first);
  }

  // The CSV header anywhere in the first line makes it a CSV file.
  const std::string csv = writeFile("list.txt",
                                    "saved: Group,Name,Size,MD5,SHA1,CRC32\r\n"
                                    "\"4\",\"/csv/file\",\"9 Byte\",\"\",\"\",\"e\"\r\n");
  drive::dropFiles(ResultsList, {csv, a});
  settle();
  EXPECT_EQ(resultRows(), (ResultsRows{{"4", "/csv/file", "9 Byte", "", "", "e"}}));

  drive::answerNextDialog(Answer::Ok);
  drive::dropFiles(ResultsList, {c, a});
  settle();
  EXPECT_EQ(drive::lastDialogText(), "Couldn't import file \"" + c + "\"");
}

// The longest name a folder takes, for a new file and in place of an old one,
// which is replaced by a new file rather than rewritten.
TEST_F(PackedResultsWindowTest, ExportTakesTheLongestNameAFolderTakes) {
  setRows(kOldRows);
  const std::string name = std::string(251, 'r') + ".txt";
  exportTo(path(name));
  EXPECT_EQ(drive::lastDialogTitle(), "Save file as");  // and no error box after it
  EXPECT_EQ(readPackedResultsFile(path(name)), buildPackedText(kOldRows, gStarEscape, gNewlineEscape));

  struct stat before;
  ASSERT_EQ(stat(path(name).c_str(), &before), 0);
  const ResultsRows rows = {{"1", "/new/a", "1 Byte", "", "", "e"}, {"1", "/new/b", "1 Byte", "", "", "e"}};
  setRows(rows);
  exportTo(path(name));
  EXPECT_EQ(drive::lastDialogTitle(), "Save file as");
  EXPECT_EQ(readPackedResultsFile(path(name)), buildPackedText(rows, gStarEscape, gNewlineEscape));
  struct stat after;
  ASSERT_EQ(stat(path(name).c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino);
  EXPECT_EQ(testing::namesIn(path()), std::vector<std::string>{name});
}

}  // namespace
}  // namespace zandrel
