// The main window worked from the keyboard, with keys and clicks that go
// through the X server as a user's do.

#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>

#include "tests/app/window_test_support.h"

namespace zandrel {
namespace {

using testing::MainWindowTest;
using testing::Script;
namespace drive = ui::testing;

class KeyboardTest : public MainWindowTest {
 protected:
  static void press(guint key, GdkModifierType modifiers = GdkModifierType(0)) {
    drive::pressKey(MainWindow, key, modifiers);
  }
  static GtkWidget* menuOf(int item) { return gtk_widget_get_parent(drive::menuItemWidget(item)); }
  static GtkMenuShell* menuBar() {
    return GTK_MENU_SHELL(gtk_widget_get_parent(gtk_menu_get_attach_widget(GTK_MENU(menuOf(AboutItem)))));
  }
  static GtkWidget* focus() { return gtk_window_get_focus(GTK_WINDOW(drive::windowWidget(MainWindow))); }

  static std::vector<int> checkedRows() { return rowsWith(ui::kRowChecked); }
  static std::vector<int> highlightedRows() { return rowsWith(ui::kRowSelected); }
  static std::vector<int> rowsWith(int bit) {
    std::vector<int> rows;
    for (int row = 0; row < ui::rowCount(ResultsList); ++row) {
      if (ui::rowState(ResultsList, row) & bit) rows.push_back(row);
    }
    return rows;
  }
  // Results rows on the shown Results tab, the keyboard focus in the list on
  // the first row, as a click on its name leaves it.
  void showResults(int count) {
    for (int row = 0; row < count; ++row) addResultRow({std::to_string(row + 1), "/f" + std::to_string(row)});
    ui::setGadgetState(MainPanel, ResultsTab);
    settle();
    drive::clickRowWithPointer(ResultsList, 0, FilenameColumn);
    ASSERT_EQ(focus(), drive::gadgetWidget(ResultsList));
    ASSERT_EQ(ui::currentRow(ResultsList), 0);
  }
};

using Rows = std::vector<int>;

TEST_F(KeyboardTest, F10ArrowsAndReturnReachTheAboutWindow) {
  press(GDK_F10);
  EXPECT_TRUE(menuBar()->active);
  EXPECT_TRUE(gtk_widget_get_mapped(menuOf(StartSearchItem)));  // File, the first title, is open
  press(GDK_Right);
  EXPECT_FALSE(gtk_widget_get_mapped(menuOf(StartSearchItem)));
  EXPECT_TRUE(gtk_widget_get_mapped(menuOf(AboutItem)));
  for (int i = 0; i < 3; ++i) press(GDK_Down);  // Website, Check for updates, About
  EXPECT_EQ(GTK_MENU_SHELL(menuOf(AboutItem))->active_menu_item, drive::menuItemWidget(AboutItem));

  bool aboutShown = false;
  Script script;
  script.when([] { return ui::windowExists(AboutWindow); },
              [&] {
                aboutShown = true;
                drive::requestClose(AboutWindow);
              });
  script.start();
  press(GDK_Return);
  EXPECT_FALSE(menuBar()->active);
  EXPECT_EQ(settle(), std::nullopt);
  EXPECT_TRUE(aboutShown);
  EXPECT_TRUE(script.finished());
}

// Escape closes the menu and gives the keys back to the window; no key but
// F10 opens a menu: the titles have no access letters.
TEST_F(KeyboardTest, EscapeClosesTheMenuAndNoAccessLetterOpensOne) {
  GtkWidget* before = drive::gadgetWidget(SubdirsCheckBox);
  gtk_widget_grab_focus(before);
  press(GDK_F10);
  ASSERT_TRUE(menuBar()->active);
  press(GDK_Escape);
  EXPECT_FALSE(menuBar()->active);
  EXPECT_EQ(menuBar()->active_menu_item, nullptr);
  EXPECT_FALSE(gtk_widget_get_mapped(menuOf(StartSearchItem)));
  EXPECT_EQ(focus(), before);
  press(GDK_Tab);
  EXPECT_NE(focus(), before);

  for (const guint letter : {GDK_f, GDK_q, GDK_a}) {
    press(letter, GDK_MOD1_MASK);
    EXPECT_FALSE(menuBar()->active) << gdk_keyval_name(letter);
  }
  EXPECT_EQ(settle(), std::nullopt);
}

// Space sets the check of the row with the focus mark as a click on its box
// does; when that row is highlighted, every highlighted row takes its new
// state. Ctrl+Space changes the highlight only.
TEST_F(KeyboardTest, SpaceChecksTheFocusRowAndTheHighlightedRowsWithIt) {
  showResults(5);
  const struct {
    const char* step;
    std::vector<std::pair<guint, GdkModifierType>> keys;
    Rows checked;
    Rows highlighted;
    int current;
  } steps[] = {
      {"Space", {{GDK_space, GdkModifierType(0)}}, {0}, {0}, 0},
      {"Down Space", {{GDK_Down, GdkModifierType(0)}, {GDK_space, GdkModifierType(0)}}, {0, 1}, {1}, 1},
      {"Space again", {{GDK_space, GdkModifierType(0)}}, {0}, {1}, 1},
      {"Shift+Down twice, Space",
       {{GDK_Down, GDK_SHIFT_MASK}, {GDK_Down, GDK_SHIFT_MASK}, {GDK_space, GdkModifierType(0)}},
       {0, 1, 2, 3},
       {1, 2, 3},
       3},
      {"Space again", {{GDK_space, GdkModifierType(0)}}, {0}, {1, 2, 3}, 3},
      {"Ctrl+Down: the mark leaves the highlight; Space",
       {{GDK_Down, GDK_CONTROL_MASK}, {GDK_space, GdkModifierType(0)}},
       {0, 4},
       {1, 2, 3},
       4},
      {"Ctrl+Space", {{GDK_space, GDK_CONTROL_MASK}}, {0, 4}, {1, 2, 3, 4}, 4},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.step);
    for (const auto& [key, modifiers] : step.keys) press(key, modifiers);
    EXPECT_EQ(checkedRows(), step.checked);
    EXPECT_EQ(highlightedRows(), step.highlighted);
    EXPECT_EQ(ui::currentRow(ResultsList), step.current);
  }
  // Rows of both states: each highlighted row takes the new state of the row
  // with the mark, checked by a click on its box or by Space alike.
  drive::clickRowCheckBoxWithPointer(ResultsList, 2);
  EXPECT_EQ(checkedRows(), (Rows{0, 2, 4}));
  EXPECT_EQ(highlightedRows(), (Rows{1, 2, 3, 4}));
  press(GDK_Up, GDK_CONTROL_MASK);
  press(GDK_space);
  EXPECT_EQ(checkedRows(), (Rows{0, 1, 2, 3, 4}));
  EXPECT_EQ(highlightedRows(), (Rows{1, 2, 3, 4}));
  EXPECT_EQ(settle(), std::nullopt);
}

// A click on a column title sorts and leaves the keyboard focus in the list,
// so the arrow keys go on moving the focus mark.
TEST_F(KeyboardTest, ColumnTitlesTakeNoFocus) {
  showResults(4);
  GtkWidget* list = drive::gadgetWidget(ResultsList);
  // The mark moves with its row: first to the last row (group 1), one row up
  // by the key, then with group 2 to the second row, one row down by the key.
  const struct {
    const char* order;
    std::vector<std::string> groups;
    guint key;
    int mark;
  } clicks[] = {
      {"descending", {"4", "3", "2", "1"}, GDK_Up, 2},
      {"ascending", {"1", "2", "3", "4"}, GDK_Down, 2},
  };
  for (const auto& click : clicks) {
    SCOPED_TRACE(click.order);
    drive::clickColumnTitleWithPointer(ResultsList, GroupColumn);
    std::vector<std::string> groups;
    for (int row = 0; row < ui::rowCount(ResultsList); ++row) groups.push_back(ui::rowText(ResultsList, row, 0));
    EXPECT_EQ(groups, click.groups);
    EXPECT_EQ(focus(), list);
    press(click.key);
    EXPECT_EQ(ui::currentRow(ResultsList), click.mark);
  }
  EXPECT_EQ(settle(), std::nullopt);
}

}  // namespace
}  // namespace zandrel
