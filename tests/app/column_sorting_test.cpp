// Sorting ResultsList by a click on a column title, through the real window.

#include <gtest/gtest.h>

#include "results/column_sorting.h"
#include "tests/app/window_test_support.h"

namespace zandrel {
namespace {

using testing::MainWindowTest;
using Arrow = ui::SortArrow;
namespace drive = ui::testing;

class ColumnSortingTest : public MainWindowTest {
 protected:
  static std::vector<std::string> column(int c) {
    std::vector<std::string> texts;
    for (int row = 0; row < ui::rowCount(ResultsList); ++row) texts.push_back(ui::rowText(ResultsList, row, c));
    return texts;
  }
  static std::vector<Arrow> arrows() {
    std::vector<Arrow> all;
    for (int c = 0; c < ui::columnCount(ResultsList); ++c) all.push_back(ui::columnSortArrow(ResultsList, c));
    return all;
  }
  static GtkArrowType drawnArrow(int c) {
    GtkArrowType type = GTK_ARROW_NONE;
    EXPECT_TRUE(drive::columnArrowShown(ResultsList, c, &type)) << c;
    return type;
  }
};

using Texts = std::vector<std::string>;

TEST_F(ColumnSortingTest, TitleClicksSortDescendingThenAscendingWithTheirArrows) {
  addResultRow({"2", "/b", "1.00 KB"});
  addResultRow({"10", "/a", "3 Byte"}, true);
  addResultRow({"1", "/C", "512 Byte"});
  const Arrow none = Arrow::None;

  drive::clickColumnTitle(ResultsList, GroupColumn);
  EXPECT_EQ(column(GroupColumn), (Texts{"10", "2", "1"}));  // by number, not as text
  EXPECT_EQ(arrows(), (std::vector<Arrow>{Arrow::Down, none, none, none, none, none}));
  EXPECT_EQ(drawnArrow(GroupColumn), GTK_ARROW_DOWN);
  EXPECT_TRUE(rowChecked(ResultsList, 0));  // the check mark moved with its row

  drive::clickColumnTitle(ResultsList, GroupColumn);
  EXPECT_EQ(column(GroupColumn), (Texts{"1", "2", "10"}));
  EXPECT_EQ(drawnArrow(GroupColumn), GTK_ARROW_UP);
  EXPECT_TRUE(rowChecked(ResultsList, 2));
  drive::clickColumnTitle(ResultsList, GroupColumn);
  EXPECT_EQ(column(GroupColumn), (Texts{"10", "2", "1"}));

  // Another column takes the arrow and starts again with descending.
  drive::clickColumnTitle(ResultsList, SizeColumn);
  EXPECT_EQ(column(SizeColumn), (Texts{"1.00 KB", "512 Byte", "3 Byte"}));
  EXPECT_EQ(arrows(), (std::vector<Arrow>{none, none, Arrow::Down, none, none, none}));
  EXPECT_FALSE(drive::columnArrowShown(ResultsList, GroupColumn));
  EXPECT_EQ(drawnArrow(SizeColumn), GTK_ARROW_DOWN);

  // File names by code unit: upper case before lower case.
  drive::clickColumnTitle(ResultsList, FilenameColumn);
  drive::clickColumnTitle(ResultsList, FilenameColumn);
  EXPECT_EQ(column(FilenameColumn), (Texts{"/C", "/a", "/b"}));
  EXPECT_EQ(arrows(), (std::vector<Arrow>{none, Arrow::Up, none, none, none, none}));
  EXPECT_EQ(settle(), std::nullopt);
}

// While the rows move the list takes no input and the wait cursor shows;
// afterwards the current row, moved with its row, is brought into view.
TEST_F(ColumnSortingTest, SortHoldsTheListAndShowsTheCurrentRowAfterwards) {
  const int count = 300;
  for (int group = 1; group <= count; ++group) addResultRow({std::to_string(group), "/f" + std::to_string(group)});
  ui::setGadgetState(MainPanel, ResultsTab);
  settle();
  GtkTreeView* view = GTK_TREE_VIEW(drive::gadgetWidget(ResultsList));
  GtkTreePath* first = gtk_tree_path_new_first();
  gtk_tree_view_set_cursor(view, first, nullptr, FALSE);  // a click on the first row
  gtk_tree_path_free(first);
  ui::setRowState(ResultsList, 5, ui::kRowSelected);
  drive::pumpEvents();

  struct Moment {
    bool disabled;
    bool busy;
  };
  std::vector<Moment> whileMoving;
  const auto noteMoment = +[](GtkTreeModel*, GtkTreePath*, GtkTreeIter*, gpointer, gpointer moments) {
    static_cast<std::vector<Moment>*>(moments)->push_back(
        {ui::gadgetDisabled(ResultsList), ui::busyCursorShown(MainWindow)});
  };
  const gulong handler =
      g_signal_connect(gtk_tree_view_get_model(view), "rows-reordered", G_CALLBACK(noteMoment), &whileMoving);
  drive::clickColumnTitle(ResultsList, GroupColumn);  // descending: the first row goes last
  g_signal_handler_disconnect(gtk_tree_view_get_model(view), handler);
  drive::pumpEvents();

  ASSERT_EQ(whileMoving.size(), 1u);
  EXPECT_TRUE(whileMoving[0].disabled);
  EXPECT_TRUE(whileMoving[0].busy);
  EXPECT_FALSE(ui::gadgetDisabled(ResultsList));
  EXPECT_FALSE(ui::busyCursorShown(MainWindow));

  const int last = count - 1;
  EXPECT_EQ(ui::rowText(ResultsList, last, GroupColumn), "1");
  EXPECT_EQ(ui::currentRow(ResultsList), last);
  GtkTreePath* top = nullptr;
  GtkTreePath* bottom = nullptr;
  ASSERT_TRUE(gtk_tree_view_get_visible_range(view, &top, &bottom));
  EXPECT_LE(gtk_tree_path_get_indices(top)[0], last);
  EXPECT_EQ(gtk_tree_path_get_indices(bottom)[0], last);
  gtk_tree_path_free(top);
  gtk_tree_path_free(bottom);
  // Highlights stay with their rows.
  EXPECT_TRUE(rowSelected(ResultsList, last));
  EXPECT_TRUE(rowSelected(ResultsList, count - 6));
  EXPECT_FALSE(rowSelected(ResultsList, 0));
}

// Sizes by their byte counts, rows of one value in the order they had; texts
// by UTF-16 code unit, a text before every longer one that begins with it.
TEST_F(ColumnSortingTest, EachColumnSortsByItsKindAndKeepsEqualRowsInOrder) {
  const struct {
    int column;
    Texts cells;
    Texts ascending;
    Texts descending;
  } cases[] = {
      {SizeColumn,
       {"1.99 KB", "3 MB", "1.01 KB", "512 Byte", "2048.00 GB"},
       {"512 Byte", "1.99 KB", "1.01 KB", "3 MB", "2048.00 GB"},  // 1.99 KB and 1.01 KB are both 1024
       {"2048.00 GB", "3 MB", "1.99 KB", "1.01 KB", "512 Byte"}},
      {FilenameColumn,
       {"/abc", "/\xEF\xBC\xA1", "/ab", "/\xF0\x9F\x98\x80", "/Z"},
       {"/Z", "/ab", "/abc", "/\xF0\x9F\x98\x80", "/\xEF\xBC\xA1"},  // U+FF21 after U+1F600 in UTF-16
       {"/\xEF\xBC\xA1", "/\xF0\x9F\x98\x80", "/abc", "/ab", "/Z"}},
  };
  for (const auto& c : cases) {
    for (const int64_t direction : {kSortAscending, kSortDescending}) {
      SCOPED_TRACE(std::to_string(c.column) + (direction == kSortAscending ? " ascending" : " descending"));
      ui::clearRows(ResultsList);
      for (const std::string& cell : c.cells) {
        Texts row{"1", "/f", ""};
        row[static_cast<size_t>(c.column)] = cell;
        addResultRow(row);
      }
      sortListByColumn(ResultsList, c.column, direction);
      EXPECT_EQ(column(c.column), direction == kSortAscending ? c.ascending : c.descending);
    }
  }
}

TEST_F(ColumnSortingTest, NoSortWhileACommandWindowIsOpen) {
  // The file actions and the imports address rows by position while they run.
  for (const int window : {ProgressWindow, ImportWindow}) {
    SCOPED_TRACE(window);
    ui::clearRows(ResultsList);
    ui::setColumnSortArrow(ResultsList, GroupColumn, Arrow::None);
    addResultRow({"1", "/a", ""});
    addResultRow({"2", "/b", ""});
    ASSERT_TRUE(ui::openWindow(window, 300, 90, "", ui::WindowStyle{}, MainWindow));
    drive::clickColumnTitle(ResultsList, GroupColumn);
    EXPECT_EQ(column(GroupColumn), (Texts{"1", "2"}));
    EXPECT_EQ(ui::columnSortArrow(ResultsList, GroupColumn), Arrow::None);
    ui::closeWindow(window);
    drive::clickColumnTitle(ResultsList, GroupColumn);
    EXPECT_EQ(column(GroupColumn), (Texts{"2", "1"}));
  }
}

// The columns keep the widths they were made with whatever the window's size
// (592 is the list's width when it is made); the room they leave stays empty
// at the right. The titles keep one height, the sort arrow's, from the start,
// so the rows do not move down at the first sort.
TEST_F(ColumnSortingTest, ColumnsKeepTheirWidthsAndTitlesTheirHeight) {
  addResultRow({"1", "/a", "1 Byte"});
  addResultRow({"2", "/b", "2 Byte"});
  ui::setGadgetState(MainPanel, ResultsTab);
  settle();
  const int made = 592;
  const std::vector<int> widths = {60, made / 2, made / 7 + 20, made / 7, made / 7, made / 7};
  const int titles = drive::columnTitlesHeight(ResultsList);
  EXPECT_GT(titles, 0);
  const struct {
    int width, height;
    bool sortFirst;
  } sizes[] = {{788, 544, false}, {788, 544, true}, {1000, 700, true}, {788, 544, true}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height) +
                 (size.sortFirst ? ", sorted" : ""));
    drive::resizeAsUser(MainWindow, size.width, size.height);
    settle();
    ASSERT_EQ(ui::windowWidth(MainWindow), size.width);
    if (size.sortFirst) drive::clickColumnTitleWithPointer(ResultsList, SizeColumn);
    settle();
    std::vector<int> drawn;
    int sum = 0;
    for (int c = 0; c < ui::columnCount(ResultsList); ++c) {
      drawn.push_back(ui::columnWidth(ResultsList, c));
      sum += drawn.back();
    }
    EXPECT_EQ(drawn, widths);
    EXPECT_LT(sum, ui::gadgetWidth(ResultsList) - 40);
    EXPECT_EQ(drive::columnTitlesHeight(ResultsList), titles);
  }
  EXPECT_TRUE(drive::columnArrowShown(ResultsList, SizeColumn));
}

TEST_F(ColumnSortingTest, AnUnregisteredColumnSortsAsText) {
  for (const char* location : {"/b10", "/B", "/b9"}) ui::addRow(LocationsList, -1, location);
  EXPECT_EQ(sortListByColumn(LocationsList, 0, kSortAscending), 0);
  EXPECT_EQ(rows(LocationsList), (Texts{"/B", "/b10", "/b9"}));
  EXPECT_EQ(gSortColumns[0].gadget, LocationsList);
  EXPECT_EQ(gSortColumns[0].sortType, kSortText);
  sortListByColumn(LocationsList, 0, kSortDescending);
  EXPECT_EQ(rows(LocationsList), (Texts{"/b9", "/b10", "/B"}));
}

}  // namespace
}  // namespace zandrel
