// The commands of the main event loop, driven through the real widgets.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "app/event_loop.h"
#include "app/program_state.h"
#include "bridge/ui_strings.h"
#include "engine/search_state.h"
#include "engine/shared_helpers.h"
#include "tests/app/window_test_support.h"

namespace zandrel {
namespace {

using testing::MainWindowTest;
using Answer = ui::testing::DialogAnswer;
namespace drive = ui::testing;

class CommandsTest : public MainWindowTest {
 protected:
  void fillResults(const std::vector<std::string>& groups) {
    for (size_t i = 0; i < groups.size(); ++i) {
      ui::addRow(ResultsList, -1, groups[i]);
      ui::setRowText(ResultsList, static_cast<int>(i), FilenameColumn, "/file" + std::to_string(i));
    }
  }
  std::vector<bool> checks() {
    std::vector<bool> states;
    for (int row = 0; row < ui::rowCount(ResultsList); ++row) states.push_back(rowChecked(ResultsList, row));
    return states;
  }
};

TEST_F(CommandsTest, DroppedPathsAreAddedOnceEachAsDropped) {
  const std::string folder = makeFolder("folder") + "/";
  const std::string a = writeFile("a.txt", "a");
  const std::string b = writeFile("b.txt", "b");
  drive::dropFiles(LocationsList, {folder, a, b, a});
  settle();
  EXPECT_EQ(rows(LocationsList), (std::vector<std::string>{folder, a, b}));
  drive::dropFiles(LocationsList, {b});
  settle();
  EXPECT_EQ(rows(LocationsList).size(), 3u);
}

TEST_F(CommandsTest, AddedLocationsAreMadeAbsolute) {
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  ASSERT_EQ(chdir(path().c_str()), 0);
  addSearchLocation("sub/../x/./");
  addSearchLocation(path() + "/x/");  // the stored form is already listed
  addSearchLocation("y//z/..");
  ASSERT_EQ(chdir(cwd), 0);
  EXPECT_EQ(rows(LocationsList), (std::vector<std::string>{path() + "/x/", path() + "/y"}));
}

TEST_F(CommandsTest, AddFolderRemembersTheChosenFolder) {
  const std::string folder = makeFolder("picked");
  drive::answerNextDialog(Answer::Ok, {folder});
  drive::activateMenuItem(AddFolderTool);
  settle();
  ASSERT_EQ(rows(LocationsList), (std::vector<std::string>{folder + "/"}));
  EXPECT_EQ(lastFolderPath, folder + "/");
  EXPECT_EQ(drive::lastDialogTitle(), "Select a directory");

  // Chosen again: nothing added, the memory stays. Cancelled: nothing at all.
  drive::answerNextDialog(Answer::Ok, {folder});
  drive::activateMenuItem(AddFolderItem);
  settle();
  drive::answerNextDialog(Answer::Cancel);
  drive::activateMenuItem(AddFolderPopupItem);
  settle();
  EXPECT_EQ(rows(LocationsList).size(), 1u);
  EXPECT_EQ(lastFolderPath, folder + "/");
}

TEST_F(CommandsTest, AddFilesTakesEveryChosenFile) {
  const std::string a = writeFile("one.bin", "1");
  const std::string b = writeFile("two.bin", "2");
  drive::answerNextChooser(Answer::Ok, {a, b});  // the toolkit's own chooser, end to end
  drive::activateMenuItem(AddFilesTool);
  settle();
  EXPECT_EQ(rows(LocationsList), (std::vector<std::string>{a, b}));
  EXPECT_EQ(drive::lastDialogTitle(), "Select files");
}

TEST_F(CommandsTest, RemoveAndClearAskFirst) {
  for (const char* name : {"/r0", "/r1", "/r2", "/r3"}) addSearchLocation(name);

  // Nothing highlighted: no question at all.
  drive::clickButton(RemoveLocationButton);
  settle();
  EXPECT_EQ(rows(LocationsList).size(), 4u);

  drive::selectRows(LocationsList, {1, 3});
  drive::answerNextDialog(Answer::No);
  drive::clickButton(RemoveLocationButton);
  settle();
  EXPECT_EQ(rows(LocationsList).size(), 4u);
  EXPECT_EQ(drive::lastDialogTitle(), "Delete items");
  EXPECT_EQ(drive::lastDialogText(), "Do you want to delete the selected items from the list?");

  drive::selectRows(LocationsList, {1, 3});
  drive::answerNextDialog(Answer::Yes);
  drive::clickButton(RemoveLocationButton);
  settle();
  EXPECT_EQ(rows(LocationsList), (std::vector<std::string>{"/r0", "/r2"}));

  drive::answerNextDialog(Answer::No);
  drive::clickButton(ClearLocationsButton);
  settle();
  EXPECT_EQ(rows(LocationsList).size(), 2u);
  EXPECT_EQ(drive::lastDialogTitle(), "Delete all items?");
  EXPECT_EQ(drive::lastDialogText(), "Do you want to delete all items from the list?");
  drive::answerNextDialog(Answer::Yes);
  drive::clickButton(ClearLocationsButton);
  settle();
  EXPECT_EQ(rows(LocationsList).size(), 0u);
}

TEST_F(CommandsTest, OneAlgorithmAlwaysStaysChosen) {
  ASSERT_EQ(ui::gadgetState(Md5CheckBox), 1);
  drive::toggleCheckBox(Md5CheckBox);  // off: the only one, so it comes back
  settle();
  EXPECT_EQ(ui::gadgetState(Md5CheckBox), 1);
  drive::toggleCheckBox(Sha1CheckBox);
  settle();
  drive::toggleCheckBox(Md5CheckBox);
  settle();
  EXPECT_EQ(ui::gadgetState(Md5CheckBox), 0);
  EXPECT_EQ(ui::gadgetState(Sha1CheckBox), 1);
}

TEST_F(CommandsTest, RuleOptionsEnableTheirFields) {
  const struct {
    int option;
    bool sizeFieldsEnabled;
    bool extensionFieldEnabled;
  } steps[] = {{SizeIncludeOption, true, false}, {ExtensionExcludeOption, true, true},
               {SizeAnyOption, false, true},     {SizeExcludeOption, true, true},
               {ExtensionAnyOption, true, false}, {ExtensionIncludeOption, true, true}};
  for (const auto& step : steps) {
    drive::chooseOption(step.option);
    settle();
    EXPECT_EQ(ui::gadgetDisabled(MinSizeField), !step.sizeFieldsEnabled) << step.option;
    EXPECT_EQ(ui::gadgetDisabled(MaxSizeField), !step.sizeFieldsEnabled) << step.option;
    EXPECT_EQ(ui::gadgetDisabled(ExtensionsField), !step.extensionFieldEnabled) << step.option;
  }
  // Choosing a size option leaves the extension group alone.
  EXPECT_EQ(ui::gadgetState(ExtensionIncludeOption), 1);
  EXPECT_EQ(ui::gadgetState(SizeExcludeOption), 1);
}

TEST_F(CommandsTest, RowCheckCommandsSetChecksAndDropHighlights) {
  fillResults({"1", "1", "2", "1", "2"});
  drive::toggleRowCheck(ResultsList, 2);
  drive::selectRows(ResultsList, {0, 2});
  settle();

  drive::clickButton(SelectDuplicatesButton);
  settle();
  EXPECT_EQ(checks(), (std::vector<bool>{false, true, false, true, true}));

  drive::clickButton(InvertSelectionButton);
  settle();
  EXPECT_EQ(checks(), (std::vector<bool>{true, false, true, false, false}));

  drive::clickButton(ReverseSelectionButton);
  settle();
  EXPECT_EQ(checks(), std::vector<bool>(5, false));

  drive::selectRows(ResultsList, {1});
  drive::clickButton(SelectAllButton);
  settle();
  EXPECT_EQ(checks(), std::vector<bool>(5, true));
  for (int row = 0; row < 5; ++row) EXPECT_FALSE(rowSelected(ResultsList, row)) << row;
}

TEST_F(CommandsTest, RowCheckCommandsTakeAwayTheFocusMark) {
  fillResults({"1", "1", "2"});
  ui::setGadgetState(MainPanel, ResultsTab);
  settle();
  GtkTreeView* view = GTK_TREE_VIEW(drive::gadgetWidget(ResultsList));
  for (const int button : {SelectAllButton, SelectDuplicatesButton, ReverseSelectionButton, InvertSelectionButton}) {
    SCOPED_TRACE(ui::gadgetText(button));
    // Where a click on the row leaves the focus mark and the highlight.
    GtkTreePath* clicked = gtk_tree_path_new_from_indices(1, -1);
    gtk_widget_grab_focus(GTK_WIDGET(view));
    gtk_tree_view_set_cursor(view, clicked, nullptr, FALSE);
    gtk_tree_path_free(clicked);
    ASSERT_EQ(ui::currentRow(ResultsList), 1);
    drive::clickButton(button);
    settle();
    GtkTreePath* cursor = nullptr;
    gtk_tree_view_get_cursor(view, &cursor, nullptr);
    EXPECT_EQ(cursor, nullptr);
    if (cursor != nullptr) gtk_tree_path_free(cursor);
    EXPECT_EQ(ui::currentRow(ResultsList), -1);
    EXPECT_FALSE(rowSelected(ResultsList, 1));
  }
}

TEST_F(CommandsTest, ClearListAsksOnlyWhenThereAreRows) {
  drive::clickButton(ClearResultsButton);  // empty: no question would be answered
  settle();
  fillResults({"1", "1"});
  drive::answerNextDialog(Answer::No);
  drive::clickButton(ClearResultsButton);
  settle();
  EXPECT_EQ(ui::rowCount(ResultsList), 2);
  drive::answerNextDialog(Answer::Yes);
  drive::clickButton(ClearResultsButton);
  settle();
  EXPECT_EQ(ui::rowCount(ResultsList), 0);
  EXPECT_EQ(drive::lastDialogText(), "Do you want to delete all items from the list?");
}

TEST(ParseSizeField, ReadsTheLeadingNumber) {
  const struct {
    const char* text;
    int64_t value;
  } cases[] = {{"", 0},      {"   ", 0},    {"100", 100},   {" \t 42x", 42}, {"-7", -7},
               {"+8", 8},    {"abc", 0},    {"007", 7},     {"99999999999999999999", INT64_MAX}};
  for (const auto& c : cases) EXPECT_EQ(parseSizeField(c.text), c.value) << '"' << c.text << '"';
}

TEST_F(CommandsTest, SizeRuleErrorsPaintTheMaximumRed) {
  const struct {
    int option;
    const char* minimum;
    const char* maximum;
    const char* error;  // nullptr: the search may start
    int64_t min, max;
  } cases[] = {
      {SizeExcludeOption, "100", "", "Select a positive number (above 0)", 0, 0},
      {SizeIncludeOption, "100", "50", "Maximum can't be smaller than minimum", 0, 0},
      {SizeIncludeOption, "100", "0", "Select a positive number (above 0)", 0, 0},
      {SizeIncludeOption, "100", "", nullptr, 100, 0},
      {SizeIncludeOption, "100", "100", nullptr, 100, 100},
      {SizeExcludeOption, "", "5", nullptr, 0, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.minimum) + " / " + c.maximum);
    drive::chooseOption(c.option);
    settle();
    ui::setGadgetText(MinSizeField, c.minimum);
    ui::setGadgetText(MaxSizeField, c.maximum);
    drive::answerNextDialog(Answer::Ok);
    const bool accepted = validateSizeLimits();
    EXPECT_EQ(accepted, c.error == nullptr);
    if (c.error) {
      EXPECT_EQ(drive::lastDialogTitle(), "Error");
      EXPECT_EQ(drive::lastDialogText(), c.error);
      EXPECT_EQ(ui::backgroundColour(MaxSizeField), 0xFF0000u);
      // The red stays while the user edits.
      drive::typeText(MaxSizeField, "1");
      settle();
      EXPECT_EQ(ui::backgroundColour(MaxSizeField), 0xFF0000u);
    } else {
      EXPECT_EQ(gMinSize, c.min);
      EXPECT_EQ(gMaxSize, c.max);
      EXPECT_EQ(ui::backgroundColour(MaxSizeField), sizeFieldDefaultColour);
      EXPECT_EQ(ui::backgroundColour(MinSizeField), sizeFieldDefaultColour);
    }
  }
}

TEST_F(CommandsTest, SizeFieldsRefuseLetters) {
  drive::chooseOption(SizeIncludeOption);
  settle();
  drive::typeText(MinSizeField, "1a2-b3");
  settle();
  EXPECT_EQ(ui::gadgetText(MinSizeField), "123");
}

class WebAddressTest : public CommandsTest {
 protected:
  void SetUp() override {
    CommandsTest::SetUp();
    browser_.emplace(path());
  }
  void TearDown() override {
    browser_.reset();
    CommandsTest::TearDown();
  }
  std::string openedAddress() { return browser_->openedAddress(); }

 private:
  std::optional<testing::FakeBrowser> browser_;
};

TEST_F(WebAddressTest, LinkAndWebsiteItemOpenTheBrowser) {
  drive::clickLink(WebsiteLink);
  settle();
  EXPECT_EQ(openedAddress(), "http://" + gWebHost);
  drive::activateMenuItem(WebsiteItem);
  settle();
  EXPECT_EQ(openedAddress(), "http://" + gWebHost + "/en/zrl.php");
}

TEST_F(CommandsTest, QuitAndTheCloseBoxEndTheLoop) {
  drive::activateMenuItem(QuitItem);
  EXPECT_EQ(settle(), MainWindowEnd::Quit);
  drive::requestClose(MainWindow);
  EXPECT_EQ(settle(), MainWindowEnd::Closed);
  EXPECT_FALSE(ui::windowExists(MainWindow));
}

}  // namespace
}  // namespace zandrel
