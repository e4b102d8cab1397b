#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "ui/ui.h"
#include "ui/ui_testing.h"

// GTK's font lookup keeps fontconfig's caches for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

namespace {
bool gHaveDisplay = false;
}  // namespace

namespace zandrel::ui {

// Found by argument lookup, so they live beside Event rather than in the unnamed namespace.
bool operator==(const Event& a, const Event& b) {
  return a.kind == b.kind && a.object == b.object && a.window == b.window;
}

std::ostream& operator<<(std::ostream& out, const Event& e) {
  return out << "{kind " << static_cast<int>(e.kind) << ", object " << e.object << ", window " << e.window << "}";
}

namespace {

namespace drive = zandrel::ui::testing;

constexpr int kWin = 1;

class UiTest : public zandrel::testing::TempDirTest {
 protected:
  void SetUp() override {
    if (!gHaveDisplay) GTEST_SKIP() << "no display";
    TempDirTest::SetUp();
  }
  void TearDown() override {
    if (!gHaveDisplay) return;
    shutdown();
    TempDirTest::TearDown();
  }

  // Opens a shown window and returns the events its first drawing raised.
  static std::vector<Event> open(int width = 400, int height = 300, bool sizable = false) {
    WindowStyle style;
    style.sizable = sizable;
    EXPECT_TRUE(openWindow(kWin, width, height, "Test", style));
    return settle();
  }

  // Lets the toolkit finish drawing and placing; returns the events raised meanwhile.
  static std::vector<Event> settle() {
    std::vector<Event> events;
    for (int i = 0; i < 5; ++i) {
      for (Event e = waitEvent(10); e.kind != EventKind::None; e = waitEvent(10)) events.push_back(e);
    }
    return events;
  }

  static Event waitFor(EventKind kind) {
    for (int i = 0; i < 100; ++i) {
      const Event e = waitEvent(50);
      if (e.kind == kind) return e;
    }
    return Event{};
  }

  static GtkAllocation allocation(GtkWidget* widget) {
    GtkAllocation a;
    gtk_widget_get_allocation(widget, &a);
    return a;
  }
};

Event gadgetEvent(int gadget) { return Event{EventKind::Gadget, gadget, kWin}; }

// ---------------------------------------------------------------------------
// Gadget lists and geometry

TEST_F(UiTest, GadgetsGoToTheCurrentListAndKeepTheirGeometry) {
  open(500, 400);
  ASSERT_EQ(panelGadget(10, 2, 30, 300, 200), 10);
  addPanelTab(10, "First");
  buttonGadget(11, 5, 6, 70, 25, "in first");
  addPanelTab(10, "Second");
  checkBoxGadget(12, 7, 8, 90, 20, "in second");
  closeGadgetList();
  scrollAreaGadget(20, 310, 30, 150, 100, 400, 400, 10);
  buttonGadget(21, 300, 300, 60, 25, "scrolled");
  closeGadgetList();
  const int text = textGadget(kAnyNumber, 300, 350, 80, 20, "window");
  ASSERT_GE(text, 0);
  settle();

  GtkWidget* notebook = drive::gadgetWidget(10);
  GtkWidget* firstTab = gtk_notebook_get_nth_page(GTK_NOTEBOOK(notebook), 0);
  GtkWidget* secondTab = gtk_notebook_get_nth_page(GTK_NOTEBOOK(notebook), 1);
  EXPECT_EQ(gtk_widget_get_parent(drive::gadgetWidget(11)), firstTab);
  EXPECT_EQ(gtk_widget_get_parent(drive::gadgetWidget(12)), secondTab);
  EXPECT_EQ(gtk_widget_get_parent(drive::gadgetWidget(21)), drive::gadgetWidget(20));
  EXPECT_FALSE(gtk_widget_is_ancestor(drive::gadgetWidget(text), notebook));
  EXPECT_TRUE(gtk_widget_is_ancestor(drive::gadgetWidget(text), drive::windowWidget(kWin)));

  struct Case {
    int gadget, x, y, width, height;
  };
  for (const Case& c : {Case{10, 2, 30, 300, 200}, Case{11, 5, 6, 70, 25}, Case{21, 300, 300, 60, 25},
                        Case{text, 300, 350, 80, 20}}) {
    SCOPED_TRACE(c.gadget);
    EXPECT_EQ(gadgetX(c.gadget), c.x);
    EXPECT_EQ(gadgetY(c.gadget), c.y);
    EXPECT_EQ(gadgetWidth(c.gadget), c.width);
    EXPECT_EQ(gadgetHeight(c.gadget), c.height);
  }
  // The toolkit gives the gadget the size the program set.
  const GtkAllocation placed = allocation(gtk_widget_get_parent(drive::gadgetWidget(text)));
  EXPECT_EQ(placed.width, 80);
  EXPECT_EQ(placed.height, 20);

  resizeGadget(11, kKeep, 40, kKeep, 30);
  EXPECT_EQ(gadgetX(11), 5);
  EXPECT_EQ(gadgetY(11), 40);
  EXPECT_EQ(gadgetWidth(11), 70);
  EXPECT_EQ(gadgetHeight(11), 30);

  EXPECT_EQ(panelTabCount(10), 2);
  EXPECT_EQ(panelTabText(10, 1), "Second");
  setPanelTabText(10, 1, "Zweite");
  EXPECT_EQ(panelTabText(10, 1), "Zweite");
  const int strip = panelTabHeight(10);
  EXPECT_GT(strip, 10);
  EXPECT_LT(strip, 80);

  // Freeing the panel takes the gadgets of its tabs with it.
  freeGadget(10);
  EXPECT_FALSE(gadgetExists(10));
  EXPECT_FALSE(gadgetExists(11));
  EXPECT_FALSE(gadgetExists(12));
  EXPECT_TRUE(gadgetExists(21));
  // The window's own list is current again: new gadgets land there.
  buttonGadget(30, 1, 1, 10, 10, "after");
  GtkWidget* windowArea = gtk_widget_get_parent(gtk_widget_get_parent(drive::gadgetWidget(text)));
  ASSERT_TRUE(GTK_IS_FIXED(windowArea));
  EXPECT_EQ(gtk_widget_get_parent(drive::gadgetWidget(30)), windowArea);

  closeWindow(kWin);
  EXPECT_FALSE(windowExists(kWin));
  EXPECT_FALSE(gadgetExists(21));
  EXPECT_FALSE(gadgetExists(text));
  EXPECT_EQ(buttonGadget(31, 0, 0, 10, 10, "nowhere"), -1);
}

// ---------------------------------------------------------------------------
// Events

TEST_F(UiTest, ProgramChangesRaiseNoEventsButUserActionsDo) {
  open();
  checkBoxGadget(1, 10, 10, 100, 20, "check");
  optionGadget(2, 10, 40, 100, 20, "one");
  optionGadget(3, 10, 60, 100, 20, "two");
  buttonGadget(4, 10, 90, 80, 25, "button");
  hyperlinkGadget(5, 10, 120, 80, 20, "link", 0xFF0000);
  stringGadget(6, 10, 150, 80, 20, "text");
  panelGadget(7, 150, 10, 200, 150);
  addPanelTab(7, "a");
  addPanelTab(7, "b");
  closeGadgetList();
  listIconGadget(8, 150, 170, 200, 100, "Name", 100);
  addRow(8, -1, "row");
  progressBarGadget(9, 10, 180, 100, 20);
  settle();

  setGadgetState(1, 1);
  setGadgetState(3, 1);
  setGadgetText(1, "renamed");
  setGadgetText(6, "changed");
  setGadgetState(7, 1);
  setRowState(8, 0, kRowChecked | kRowSelected);
  setGadgetState(9, 500);
  EXPECT_TRUE(settle().empty());
  EXPECT_EQ(gadgetState(1), 1);
  EXPECT_EQ(gadgetState(2), 0);
  EXPECT_EQ(gadgetState(3), 1);
  EXPECT_EQ(gadgetState(7), 1);
  EXPECT_EQ(gtk_notebook_get_current_page(GTK_NOTEBOOK(drive::gadgetWidget(7))), 1);
  EXPECT_EQ(gadgetState(9), 500);
  EXPECT_DOUBLE_EQ(gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(drive::gadgetWidget(9))), 0.5);
  EXPECT_EQ(gadgetText(1), "renamed");
  EXPECT_EQ(gtk_label_get_text(GTK_LABEL(gtk_bin_get_child(GTK_BIN(drive::gadgetWidget(1))))),
            std::string("renamed"));
  EXPECT_EQ(gadgetText(6), "changed");

  struct Case {
    const char* what;
    void (*act)();
    Event expected;
  };
  const Case cases[] = {
      {"check box", [] { drive::toggleCheckBox(1); }, gadgetEvent(1)},
      {"option", [] { drive::chooseOption(2); }, gadgetEvent(2)},
      {"button", [] { drive::clickButton(4); }, gadgetEvent(4)},
      {"link", [] { drive::clickLink(5); }, gadgetEvent(5)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.act();
    EXPECT_EQ(settle(), std::vector<Event>{c.expected});
  }
  EXPECT_EQ(gadgetState(1), 0);
  EXPECT_EQ(gadgetState(2), 1);
  EXPECT_EQ(gadgetState(3), 0);
  // Choosing the option that is already chosen changes nothing.
  drive::chooseOption(2);
  EXPECT_TRUE(settle().empty());
}

TEST_F(UiTest, OptionGroupsEndAtOtherGadgets) {
  open();
  optionGadget(1, 10, 10, 100, 20, "a1");
  optionGadget(2, 10, 30, 100, 20, "a2");
  optionGadget(3, 10, 50, 100, 20, "a3");
  textGadget(4, 10, 70, 100, 20, "between");
  optionGadget(5, 10, 90, 100, 20, "b1");
  optionGadget(6, 10, 110, 100, 20, "b2");
  optionGadget(7, 10, 130, 100, 20, "b3");
  settle();
  const auto states = [] {
    std::vector<int> s;
    for (const int g : {1, 2, 3, 5, 6, 7}) s.push_back(gadgetState(g));
    return s;
  };
  EXPECT_EQ(states(), (std::vector<int>{1, 0, 0, 1, 0, 0}));

  drive::chooseOption(6);
  EXPECT_EQ(settle(), std::vector<Event>{gadgetEvent(6)});
  EXPECT_EQ(states(), (std::vector<int>{1, 0, 0, 0, 1, 0}));

  drive::chooseOption(3);
  EXPECT_EQ(settle(), std::vector<Event>{gadgetEvent(3)});
  EXPECT_EQ(states(), (std::vector<int>{0, 0, 1, 0, 1, 0}));
}

TEST_F(UiTest, WaitingTimesOutAndPollingReturnsAtOnce) {
  open();
  buttonGadget(1, 10, 10, 80, 25, "button");
  settle();
  EXPECT_EQ(waitEvent(30).kind, EventKind::None);
  EXPECT_EQ(pollEvent().kind, EventKind::None);

  drive::clickButton(1);
  drive::requestClose(kWin);
  EXPECT_EQ(pollEvent(), gadgetEvent(1));
  EXPECT_EQ(waitEvent(1000), (Event{EventKind::CloseWindow, kWin, kWin}));
  EXPECT_EQ(pollEvent().kind, EventKind::None);
  // The close box only asks; the program decides.
  EXPECT_TRUE(windowExists(kWin));
  EXPECT_TRUE(gtk_widget_get_visible(drive::windowWidget(kWin)));
}

TEST_F(UiTest, SizeWindowOnlyForRealChangesFromOutside) {
  EXPECT_TRUE(open(300, 200, true).empty());
  EXPECT_EQ(windowWidth(kWin), 300);
  EXPECT_EQ(windowHeight(kWin), 200);

  // The program's own resize is no event.
  resizeWindow(kWin, 400, 260);
  EXPECT_EQ(windowWidth(kWin), 400);
  std::vector<Event> seen;
  for (int i = 0; i < 100 && allocation(drive::windowWidget(kWin)).width != 400; ++i) {
    for (Event e = waitEvent(20); e.kind != EventKind::None; e = pollEvent()) seen.push_back(e);
  }
  for (const Event& e : settle()) seen.push_back(e);
  EXPECT_EQ(allocation(drive::windowWidget(kWin)).width, 400);
  EXPECT_TRUE(seen.empty());

  drive::resizeAsUser(kWin, 500, 350);
  EXPECT_EQ(waitFor(EventKind::SizeWindow), (Event{EventKind::SizeWindow, kWin, kWin}));
  EXPECT_TRUE(settle().empty());
  EXPECT_EQ(windowWidth(kWin), 500);
  EXPECT_EQ(windowHeight(kWin), 350);

  // The same size again is no change.
  drive::resizeAsUser(kWin, 500, 350);
  EXPECT_TRUE(settle().empty());
}

TEST_F(UiTest, InnerHeightCountsTheMenuBar) {
  open(300, 200);
  ASSERT_TRUE(createMenuBar(5, kWin));
  menuTitle("File");
  menuItem(50, "Quit");
  settle();
  const int bar = menuBarHeight(kWin);
  EXPECT_GT(bar, 0);
  EXPECT_EQ(windowHeight(kWin), 200);
  EXPECT_EQ(allocation(drive::windowWidget(kWin)).height, 200);
  GtkWidget* vbox = gtk_bin_get_child(GTK_BIN(drive::windowWidget(kWin)));
  GList* children = gtk_container_get_children(GTK_CONTAINER(vbox));
  ASSERT_EQ(g_list_length(children), 2u);
  EXPECT_EQ(allocation(GTK_WIDGET(g_list_nth_data(children, 1))).height, 200 - bar);
  g_list_free(children);
}

// ---------------------------------------------------------------------------
// Text fields, colours, fonts, links

TEST_F(UiTest, EntryBackgroundTurnsRedAndBack) {
  open();
  stringGadget(1, 10, 10, 100, 20, "");
  GtkWidget* entry = drive::gadgetWidget(1);
  const auto base = [&] { return gtk_widget_get_style(entry)->base[GTK_STATE_NORMAL]; };
  const uint32_t original = backgroundColour(1);
  const GdkColor before = base();
  EXPECT_EQ(original, ((before.red >> 8) << 16) | ((before.green >> 8) << 8) | (before.blue >> 8));

  setBackgroundColour(1, 0xFF0000);
  settle();
  EXPECT_EQ(backgroundColour(1), 0xFF0000u);
  EXPECT_EQ(base().red, 0xFFFF);
  EXPECT_EQ(base().green, 0);
  EXPECT_EQ(base().blue, 0);

  setBackgroundColour(1, original);
  settle();
  EXPECT_EQ(backgroundColour(1), original);
  EXPECT_EQ(base().red >> 8, before.red >> 8);
  EXPECT_EQ(base().green >> 8, before.green >> 8);
  EXPECT_EQ(base().blue >> 8, before.blue >> 8);
}

TEST_F(UiTest, BusyCursorShowsForTheLifeOfItsObject) {
  open();
  EXPECT_FALSE(busyCursorShown(kWin));
  {
    const BusyCursor busy(kWin);
    EXPECT_TRUE(busyCursorShown(kWin));
  }
  EXPECT_FALSE(busyCursorShown(kWin));
  const BusyCursor none(kWin + 1);  // no such window: nothing happens
  EXPECT_FALSE(busyCursorShown(kWin + 1));
}

TEST_F(UiTest, DigitFieldRefusesOtherCharacters) {
  open();
  stringGadget(1, 10, 10, 100, 20, "", true);
  stringGadget(2, 10, 40, 100, 20, "");
  struct Case {
    int field;
    const char* typed;
    const char* expected;
  };
  for (const Case& c : {Case{1, "12a3", "123"}, Case{1, "x", "123"}, Case{1, "4", "1234"}, Case{2, "12a3", "12a3"}}) {
    SCOPED_TRACE(c.typed);
    drive::typeText(c.field, c.typed);
    EXPECT_EQ(gadgetText(c.field), c.expected);
  }
  EXPECT_TRUE(settle().empty());
}

TEST_F(UiTest, DefaultFontAppliesToLaterGadgetsAndLinksHover) {
  open();
  ASSERT_TRUE(loadFont(1, "Sans", 14, kFontBold));
  ASSERT_TRUE(loadFont(2, "Monospace", 10, kFontUnderline));
  buttonGadget(10, 10, 10, 80, 25, "before");
  setDefaultFont(1);
  buttonGadget(11, 10, 40, 80, 25, "after");
  setDefaultFont(0);
  hyperlinkGadget(12, 10, 70, 100, 20, "link", 0x00FF00);
  setGadgetFont(12, 2);
  settle();

  const auto labelFont = [](GtkWidget* label) { return gtk_widget_get_style(label)->font_desc; };
  GtkWidget* before = gtk_bin_get_child(GTK_BIN(drive::gadgetWidget(10)));
  GtkWidget* after = gtk_bin_get_child(GTK_BIN(drive::gadgetWidget(11)));
  EXPECT_NE(pango_font_description_get_weight(labelFont(before)), PANGO_WEIGHT_BOLD);
  EXPECT_EQ(pango_font_description_get_weight(labelFont(after)), PANGO_WEIGHT_BOLD);
  // 14 points at 96 pixels to the inch, whatever the screen's resolution.
  EXPECT_TRUE(pango_font_description_get_size_is_absolute(labelFont(after)));
  EXPECT_NEAR(pango_font_description_get_size(labelFont(after)), 14 * PANGO_SCALE * 96 / 72, 1);

  GtkWidget* link = drive::gadgetWidget(12);
  EXPECT_STREQ(pango_font_description_get_family(labelFont(link)), "Monospace");
  PangoAttrList* attributes = gtk_label_get_attributes(GTK_LABEL(link));
  ASSERT_NE(attributes, nullptr);
  PangoAttrIterator* it = pango_attr_list_get_iterator(attributes);
  const PangoAttribute* underline = pango_attr_iterator_get(it, PANGO_ATTR_UNDERLINE);
  ASSERT_NE(underline, nullptr);
  EXPECT_EQ(reinterpret_cast<const PangoAttrInt*>(underline)->value, PANGO_UNDERLINE_SINGLE);
  pango_attr_iterator_destroy(it);

  GtkWidget* box = gtk_widget_get_parent(link);
  GdkCursor* cursor = gdk_window_get_cursor(gtk_widget_get_window(box));
  ASSERT_NE(cursor, nullptr);
  EXPECT_EQ(gdk_cursor_get_cursor_type(cursor), GDK_HAND2);
  const GdkColor normal = gtk_widget_get_style(link)->fg[GTK_STATE_NORMAL];
  drive::hoverLink(12, true);
  const GdkColor hovered = gtk_widget_get_style(link)->fg[GTK_STATE_NORMAL];
  EXPECT_EQ(hovered.red, 0);
  EXPECT_EQ(hovered.green, 0xFFFF);
  EXPECT_EQ(hovered.blue, 0);
  drive::hoverLink(12, false);
  EXPECT_TRUE(gdk_color_equal(&normal, &gtk_widget_get_style(link)->fg[GTK_STATE_NORMAL]));
  EXPECT_TRUE(settle().empty());
}

// ---------------------------------------------------------------------------
// Lists

// What the list draws in a cell: the renderer's properties after the column
// filled them for that row.
struct Drawn {
  std::string text;
  bool checked = false;
};

Drawn drawn(int list, int row, int column) {
  GtkTreeView* view = GTK_TREE_VIEW(drive::gadgetWidget(list));
  GtkTreeModel* model = gtk_tree_view_get_model(view);
  GtkTreeIter iter;
  EXPECT_TRUE(gtk_tree_model_iter_nth_child(model, &iter, nullptr, row));
  GtkTreeViewColumn* c = gtk_tree_view_get_column(view, column);
  gtk_tree_view_column_cell_set_cell_data(c, model, &iter, FALSE, FALSE);
  Drawn result;
  GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(c));
  for (GList* cell = cells; cell != nullptr; cell = cell->next) {
    if (GTK_IS_CELL_RENDERER_TEXT(cell->data)) {
      gchar* text = nullptr;
      g_object_get(cell->data, "text", &text, nullptr);
      result.text = text != nullptr ? text : "";
      g_free(text);
    } else if (GTK_IS_CELL_RENDERER_TOGGLE(cell->data)) {
      result.checked = gtk_cell_renderer_toggle_get_active(GTK_CELL_RENDERER_TOGGLE(cell->data));
    }
  }
  g_list_free(cells);
  return result;
}

TEST_F(UiTest, RowCheckAndHighlightAreIndependent) {
  open();
  listIconGadget(1, 10, 10, 300, 200, "Name", 200);
  for (const char* name : {"zero", "one", "two"}) addRow(1, -1, name);
  settle();

  drive::toggleRowCheck(1, 1);
  EXPECT_EQ(rowState(1, 1), kRowChecked);
  EXPECT_TRUE(drawn(1, 1, 0).checked);
  drive::selectRows(1, {1, 2});
  EXPECT_EQ(rowState(1, 1), kRowSelected | kRowChecked);
  EXPECT_EQ(rowState(1, 2), kRowSelected);
  EXPECT_EQ(rowState(1, 0), 0);

  // A mouse click on the check box toggles it and leaves the highlight alone.
  drive::clickRowCheckBox(1, 0);
  EXPECT_EQ(rowState(1, 0), kRowChecked);
  drive::clickRowCheckBox(1, 1);
  EXPECT_EQ(rowState(1, 1), kRowSelected);
  EXPECT_FALSE(drawn(1, 1, 0).checked);
  EXPECT_EQ(rowState(1, 2), kRowSelected);

  setRowState(1, 2, kRowChecked);
  EXPECT_EQ(rowState(1, 2), kRowChecked);
  EXPECT_TRUE(drawn(1, 2, 0).checked);
  setRowState(1, 0, kRowSelected);
  EXPECT_EQ(rowState(1, 0), kRowSelected);
  EXPECT_EQ(rowState(1, 1), kRowSelected);
  EXPECT_TRUE(settle().empty());
}

TEST_F(UiTest, RowsKeepTheirBytesAndShowThemReadably) {
  open();
  listIconGadget(1, 10, 10, 300, 200, "Group", 60);
  addColumn(1, -1, "Filename", 150);
  addColumn(1, -1, "Size", 60);
  EXPECT_EQ(columnCount(1), 3);
  EXPECT_EQ(columnTitle(1, 1), "Filename");
  EXPECT_EQ(columnWidth(1, 2), 60);
  const std::string name = "/tmp/caf\xE9-\xC3\xA9.txt";  // a Latin-1 byte, then proper UTF-8
  addRow(1, -1, "1\n" + name + "\n12 KB");
  addRow(1, 0, "0\nfirst");
  settle();

  ASSERT_EQ(rowCount(1), 2);
  EXPECT_EQ(rowText(1, 0, 1), "first");
  EXPECT_EQ(rowText(1, 1, 0), "1");
  EXPECT_EQ(rowText(1, 1, 1), name);
  EXPECT_EQ(rowText(1, 1, 2), "12 KB");
  EXPECT_EQ(rowText(1, 0, 2), "");
  EXPECT_EQ(drawn(1, 1, 1).text, "/tmp/caf\xEF\xBF\xBD-\xC3\xA9.txt");
  EXPECT_EQ(drawn(1, 1, 2).text, "12 KB");

  setRowText(1, 0, 2, "3 Byte");
  EXPECT_EQ(drawn(1, 0, 2).text, "3 Byte");
  removeRow(1, 0);
  ASSERT_EQ(rowCount(1), 1);
  EXPECT_EQ(rowText(1, 0, 1), name);
  setColumnTitle(1, 0, "Gruppe");
  EXPECT_STREQ(gtk_tree_view_column_get_title(gtk_tree_view_get_column(GTK_TREE_VIEW(drive::gadgetWidget(1)), 0)),
               "Gruppe");
  clearRows(1);
  EXPECT_EQ(rowCount(1), 0);

  // The plain list shows one column of rows, no header.
  listViewGadget(2, 10, 220, 300, 60);
  addRow(2, -1, name);
  EXPECT_FALSE(gtk_tree_view_get_headers_visible(GTK_TREE_VIEW(drive::gadgetWidget(2))));
  EXPECT_EQ(rowText(2, 0), name);
  EXPECT_EQ(drawn(2, 0, 0).text, displayName(name));
}

TEST_F(UiTest, ClipboardRoundTrip) {
  setClipboardText("/home/user/caf\xC3\xA9.txt");
  EXPECT_EQ(clipboardText(), "/home/user/caf\xC3\xA9.txt");
}

TEST(UiDisplayName, ReplacesEachBadByte) {
  struct Case {
    std::string bytes, shown;
  };
  const std::string r = "\xEF\xBF\xBD";
  const Case cases[] = {
      {"", ""},
      {"plain/path.txt", "plain/path.txt"},
      {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
      {"a\xFF" "b", "a" + r + "b"},
      {"end\xC3", "end" + r},
      {"\xE2\x82", r + r},                // a cut-off sequence: one mark per byte
      {"\xC0\xAF", r + r},                // overlong
      {"\xED\xA0\x80", r + r + r},        // surrogate
      {"\xC3\x28", r + "("},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(displayName(c.bytes), c.shown);
  }
}

// ---------------------------------------------------------------------------
// Drops

TEST_F(UiTest, DropGivesTheLocalPathsJoinedByLineFeeds) {
  open();
  listViewGadget(1, 10, 10, 300, 200);
  listViewGadget(2, 10, 220, 300, 60);
  enableFileDrop(1);
  const std::vector<std::string> paths = {writeFile("a.txt", "a"), writeFile("with space #1.txt", "b"),
                                          makeFolder("sub"), writeFile("raw\xFF.bin", "c")};
  drive::dropFiles(1, paths);
  EXPECT_EQ(settle(), (std::vector<Event>{{EventKind::GadgetDrop, 1, kWin}}));
  EXPECT_EQ(droppedFiles(), paths[0] + "\n" + paths[1] + "\n" + paths[2] + "\n" + paths[3]);

  // A gadget that does not take drops raises nothing.
  drive::dropFiles(2, {paths[0]});
  EXPECT_TRUE(settle().empty());
}

// ---------------------------------------------------------------------------
// Menus and toolbars

TEST_F(UiTest, MenuLayoutSubmenusAndAReplacedMenuBar) {
  open();
  ASSERT_TRUE(createImage(7, 2, 2, std::vector<unsigned char>(16, 0xFF)));
  ASSERT_TRUE(createMenuBar(1, kWin));
  menuTitle("File");
  menuItem(100, "Start", 7);
  menuSeparator();
  openSubMenu("Add", 7);
  menuItem(101, "Files");
  menuItem(102, "Folder");
  closeSubMenu();
  menuItem(103, "Quit");
  menuTitle("?");
  menuItem(104, "About");
  EXPECT_EQ(menuLayout(1), (std::vector<std::string>{"File>", "Start", "-", "Add>", "Files", "Folder", "<", "Quit",
                                                      "<", "?>", "About", "<"}));
  EXPECT_EQ(menuItemText(1, 102), "Folder");
  GtkWidget* start = drive::menuItemWidget(100);
  ASSERT_TRUE(GTK_IS_IMAGE_MENU_ITEM(start));
  EXPECT_NE(gtk_image_menu_item_get_image(GTK_IMAGE_MENU_ITEM(start)), nullptr);

  drive::activateMenuItem(101);
  EXPECT_EQ(settle(), (std::vector<Event>{{EventKind::Menu, 101, kWin}}));

  // Rebuilt in another language: the old entries are gone, the bar stays on top.
  ASSERT_TRUE(createMenuBar(1, kWin));
  menuTitle("Datei");
  menuItem(103, "Beenden");
  EXPECT_EQ(menuLayout(1), (std::vector<std::string>{"Datei>", "Beenden", "<"}));
  EXPECT_EQ(drive::menuItemWidget(101), nullptr);
  EXPECT_EQ(menuItemText(1, 103), "Beenden");
  GtkWidget* vbox = gtk_bin_get_child(GTK_BIN(drive::windowWidget(kWin)));
  GList* children = gtk_container_get_children(GTK_CONTAINER(vbox));
  ASSERT_EQ(g_list_length(children), 2u);
  EXPECT_TRUE(GTK_IS_MENU_BAR(children->data));
  GtkWidget* title = gtk_menu_get_attach_widget(GTK_MENU(gtk_widget_get_parent(drive::menuItemWidget(103))));
  EXPECT_EQ(gtk_widget_get_parent(title), GTK_WIDGET(children->data));
  g_list_free(children);
  drive::activateMenuItem(103);
  EXPECT_EQ(settle(), (std::vector<Event>{{EventKind::Menu, 103, kWin}}));

  ASSERT_TRUE(createPopupMenu(2));
  menuItem(200, "Files", 7);
  menuItem(201, "Folder", 7);
  EXPECT_EQ(menuLayout(2), (std::vector<std::string>{"Files", "Folder"}));
  showPopupMenu(2, kWin);
  drive::activateMenuItem(201);
  EXPECT_EQ(settle(), (std::vector<Event>{{EventKind::Menu, 201, kWin}}));
  freeMenu(2);
  EXPECT_FALSE(menuExists(2));
  EXPECT_TRUE(menuExists(1));
}

TEST_F(UiTest, ToolbarButtonsRaiseMenuEventsAndSitAtTheTop) {
  open(400, 300);
  ASSERT_TRUE(createImage(7, 16, 16, std::vector<unsigned char>(16 * 16 * 4, 0x80)));
  ASSERT_TRUE(createToolBar(3, kWin));
  toolBarButton(300, 7);
  toolBarSeparator();
  toolBarButton(301, 7);
  setToolBarToolTip(3, 301, "Start searching");
  const int height = toolBarHeight(3);
  EXPECT_GT(height, 16);
  buttonGadget(1, 0, height, 80, 25, "below");
  settle();

  EXPECT_EQ(toolBarToolTip(3, 301), "Start searching");
  GtkWidget* bar = gtk_widget_get_parent(drive::menuItemWidget(301));
  ASSERT_TRUE(GTK_IS_TOOLBAR(bar));
  EXPECT_EQ(gtk_toolbar_get_style(GTK_TOOLBAR(bar)), GTK_TOOLBAR_ICONS);
  EXPECT_EQ(allocation(bar).width, 400);
  EXPECT_EQ(allocation(bar).y + allocation(bar).height, allocation(drive::gadgetWidget(1)).y);

  drive::activateMenuItem(301);
  EXPECT_EQ(settle(), (std::vector<Event>{{EventKind::Menu, 301, kWin}}));
}

// ---------------------------------------------------------------------------
// Dialogs

TEST_F(UiTest, QuestionBoxAnswers) {
  struct Case {
    drive::DialogAnswer given;
    Answer expected;
  };
  for (const Case& c : {Case{drive::DialogAnswer::Yes, Answer::Yes}, Case{drive::DialogAnswer::No, Answer::No},
                        Case{drive::DialogAnswer::Cancel, Answer::No}}) {
    SCOPED_TRACE(static_cast<int>(c.given));
    drive::answerNextDialog(c.given);
    EXPECT_EQ(questionBox("Delete items", "Do you want to delete the selected items?"), c.expected);
    EXPECT_EQ(drive::lastDialogTitle(), "Delete items");
    EXPECT_EQ(drive::lastDialogText(), "Do you want to delete the selected items?");
  }
  drive::answerNextDialog(drive::DialogAnswer::Ok);
  messageBox("Error", "No files/directories selected");
  EXPECT_EQ(drive::lastDialogTitle(), "Error");
  EXPECT_EQ(drive::lastDialogText(), "No files/directories selected");
}

// A box nobody answers fails the test at once, closed as its close box
// would close it, instead of waiting for a user until the time runs out.
TEST_F(UiTest, ABoxWithNoAnswerWaitingFailsTheTestAtOnce) {
  EXPECT_NONFATAL_FAILURE(messageBox("Error", "Couldn't save the file"), "no answer waiting");
  EXPECT_NONFATAL_FAILURE(EXPECT_EQ(questionBox("Delete items", "Delete?"), Answer::No), "no answer waiting");
  // Answered boxes still show and take their answer.
  drive::answerNextDialog(drive::DialogAnswer::Yes);
  EXPECT_EQ(questionBox("Delete items", "Delete?"), Answer::Yes);
  EXPECT_FALSE(drive::answersPending());
}

// The toolkit's own chooser, worked as a user would. No name in the folder
// extends another, so the chooser's completion has nothing to add to one.
TEST_F(UiTest, FileAndFolderDialogsReturnTheChosenPaths) {
  const std::string a = writeFile("a.txt", "a");
  const std::string b = writeFile("b.txt", "b");
  drive::answerNextChooser(drive::DialogAnswer::Ok, {a, b});
  std::vector<std::string> chosen = openFileDialog("Select files", "", "All files (*.*)|*.*", true);
  std::sort(chosen.begin(), chosen.end());
  EXPECT_EQ(chosen, (std::vector<std::string>{a, b}));
  EXPECT_EQ(drive::lastDialogTitle(), "Select files");

  drive::answerNextChooser(drive::DialogAnswer::Cancel);
  EXPECT_TRUE(openFileDialog("Select files", "", "All files (*.*)|*.*", true).empty());

  const std::string folder = makeFolder("chosen");
  drive::answerNextChooser(drive::DialogAnswer::Ok, {folder});
  EXPECT_EQ(folderDialog("Select a directory", path()), folder + "/");
  drive::answerNextChooser(drive::DialogAnswer::Cancel);
  EXPECT_EQ(folderDialog("Select a directory", folder + "/"), "");

  // A typed name picks an existing folder; a new name creates nothing and is not taken.
  drive::typeIntoNextFileDialog("chosen");
  EXPECT_EQ(folderDialog("Select a directory", path() + "/"), folder + "/");
  drive::typeIntoNextFileDialog("new folder");
  drive::answerNextDialog(drive::DialogAnswer::Cancel);
  EXPECT_EQ(folderDialog("Select a directory", path() + "/"), "");
  EXPECT_FALSE(std::filesystem::exists(path("new folder")));
  drive::typeIntoNextFileDialog(path("other/deeper"));
  drive::answerNextDialog(drive::DialogAnswer::Cancel);
  EXPECT_EQ(folderDialog("Select a directory", path() + "/"), "");
  EXPECT_FALSE(std::filesystem::exists(path("other")));

  // An existing file is taken without a question about overwriting it.
  drive::answerNextChooser(drive::DialogAnswer::Ok, {a});
  EXPECT_EQ(saveFileDialog("Export", path("results.txt"), "Text|*.txt"), a);
  drive::answerNextChooser(drive::DialogAnswer::Ok, {path("new.txt")});
  EXPECT_EQ(saveFileDialog("Export", path("results.txt"), "Text|*.txt"), path("new.txt"));
  EXPECT_FALSE(drive::answersPending());
}

// Most tests answer file dialogs before a chooser shows: the paths given are
// the result. An answer that cannot be one fails the test rather than
// choosing something else.
TEST_F(UiTest, FileDialogAnswersGivenBeforeAChooserShowsAreTheResult) {
  drive::answerNextDialog(drive::DialogAnswer::Ok, {"/x/a", "/x/b/"});
  EXPECT_EQ(openFileDialog("Select files", "", "", true), (std::vector<std::string>{"/x/a", "/x/b"}));
  EXPECT_EQ(drive::lastDialogTitle(), "Select files");
  drive::answerNextDialog(drive::DialogAnswer::Ok, {"/x/folder/"});
  EXPECT_EQ(folderDialog("Select a directory", ""), "/x/folder/");
  drive::answerNextDialog(drive::DialogAnswer::Yes, {"/x/out.txt"});
  EXPECT_EQ(saveFileDialog("Save file as", "", ""), "/x/out.txt");
  EXPECT_EQ(drive::lastDialogTitle(), "Save file as");
  drive::answerNextDialog(drive::DialogAnswer::Cancel, {"/x/out.txt"});
  EXPECT_EQ(saveFileDialog("Save file as", "", ""), "");
  drive::answerNextDialog(drive::DialogAnswer::No);
  EXPECT_TRUE(openFileDialog("Open file", "", "", false).empty());
  EXPECT_FALSE(drive::answersPending());

  EXPECT_NONFATAL_FAILURE(EXPECT_TRUE(openFileDialog("Open file", "", "", false).empty()), "no answer waiting");
  EXPECT_NONFATAL_FAILURE(
      {
        drive::answerNextDialog(drive::DialogAnswer::Ok, {"/x/a", "/x/b"});
        drive::answerNextDialog(drive::DialogAnswer::Ok);  // meant for a box after it
        EXPECT_TRUE(openFileDialog("Open file", "", "", false).empty());
      },
      "cannot take");
  EXPECT_FALSE(drive::answersPending());
  EXPECT_NONFATAL_FAILURE(
      {
        drive::answerNextDialog(drive::DialogAnswer::Ok);
        EXPECT_EQ(saveFileDialog("Save file as", "", ""), "");
      },
      "cannot take");
}

}  // namespace
}  // namespace zandrel::ui

// ===========================================================================
// Column title clicks, sort arrows, row order and split buttons

namespace zandrel::ui {
namespace {

TEST_F(UiTest, ColumnTitleClicksReachTheHandlerOnceOneIsSet) {
  open();
  listIconGadget(1, 10, 10, 300, 200, "Group", 60);
  addColumn(1, -1, "Filename", 150);
  settle();
  std::vector<std::pair<int, int>> clicks;
  drive::clickColumnTitle(1, 1);  // no handler yet: a plain title

  setColumnClickHandler(1, [&](int list, int column) { clicks.emplace_back(list, column); });
  addColumn(1, -1, "Size", 60);  // a column added later reports its clicks too
  drive::clickColumnTitle(1, 1);
  drive::clickColumnTitle(1, 2);
  drive::clickColumnTitle(1, 0);
  EXPECT_EQ(clicks, (std::vector<std::pair<int, int>>{{1, 1}, {1, 2}, {1, 0}}));
  EXPECT_TRUE(settle().empty());  // the handler ran; nothing was queued for a loop to drop

  setColumnClickHandler(1, nullptr);
  drive::clickColumnTitle(1, 0);
  EXPECT_EQ(clicks.size(), 3u);
}

TEST_F(UiTest, SortArrowsAreDrawnPointingAsAsked) {
  open();
  listIconGadget(1, 10, 10, 300, 200, "Group", 60);
  addColumn(1, -1, "Filename", 150);
  settle();
  GtkSettings* settings = gtk_settings_get_default();
  gboolean before = FALSE;
  g_object_get(settings, "gtk-alternative-sort-arrows", &before, nullptr);
  struct Case {
    gboolean alternative;
    SortArrow arrow;
    GtkArrowType drawn;
  };
  for (const Case& c : {Case{FALSE, SortArrow::Up, GTK_ARROW_UP}, Case{FALSE, SortArrow::Down, GTK_ARROW_DOWN},
                        Case{TRUE, SortArrow::Up, GTK_ARROW_UP}, Case{TRUE, SortArrow::Down, GTK_ARROW_DOWN}}) {
    SCOPED_TRACE(::testing::Message() << "alternative " << c.alternative << ", arrow " << static_cast<int>(c.arrow));
    g_object_set(settings, "gtk-alternative-sort-arrows", c.alternative, nullptr);
    setColumnSortArrow(1, 1, c.arrow);
    GtkArrowType type = GTK_ARROW_NONE;
    ASSERT_TRUE(drive::columnArrowShown(1, 1, &type));
    EXPECT_EQ(type, c.drawn);
    EXPECT_EQ(columnSortArrow(1, 1), c.arrow);
    EXPECT_FALSE(drive::columnArrowShown(1, 0));
  }
  g_object_set(settings, "gtk-alternative-sort-arrows", before, nullptr);
  setColumnSortArrow(1, 1, SortArrow::None);
  EXPECT_FALSE(drive::columnArrowShown(1, 1));
  EXPECT_EQ(columnSortArrow(1, 1), SortArrow::None);
  EXPECT_EQ(columnSortArrow(1, 0), SortArrow::None);
}

TEST_F(UiTest, ReorderedRowsKeepTheirBytesChecksAndHighlights) {
  open();
  listIconGadget(1, 10, 10, 300, 200, "Group", 60);
  addColumn(1, -1, "Filename", 150);
  const std::string odd = "caf\xE9";  // not UTF-8: the bytes must survive the move
  for (const std::string& name : {std::string("a"), std::string("b"), odd, std::string("d")}) {
    addRow(1, -1, "1\n" + name);
  }
  setRowState(1, 1, kRowChecked);
  drive::selectRows(1, {2});
  settle();

  reorderRows(1, {3, 2, 1, 0});
  const std::vector<std::string> expected = {"d", odd, "b", "a"};
  for (int row = 0; row < 4; ++row) {
    EXPECT_EQ(rowText(1, row, 1), expected[static_cast<size_t>(row)]) << row;
    EXPECT_EQ(drawn(1, row, 1).text, displayName(expected[static_cast<size_t>(row)])) << row;
  }
  EXPECT_EQ(rowState(1, 2), kRowChecked);
  EXPECT_TRUE(drawn(1, 2, 0).checked);
  EXPECT_EQ(rowState(1, 1), kRowSelected);
  EXPECT_EQ(rowState(1, 0) | rowState(1, 3), 0);

  // Anything but a permutation of every row changes nothing.
  for (const std::vector<int>& bad : {std::vector<int>{0, 1, 2}, std::vector<int>{0, 1, 2, 2},
                                      std::vector<int>{0, 1, 2, 4}, std::vector<int>{-1, 1, 2, 3}}) {
    reorderRows(1, bad);
    EXPECT_EQ(rowText(1, 0, 1), "d");
    EXPECT_EQ(rowText(1, 3, 1), "a");
  }
  EXPECT_TRUE(settle().empty());
}

TEST_F(UiTest, SplitButtonArrowShowsItsMenuBelowTheButton) {
  open(400, 300);
  ASSERT_EQ(splitButtonGadget(1, 40, 60, 120, 24, "Export", 5), 1);
  buttonGadget(2, 40, 100, 120, 24, "Plain");
  ASSERT_TRUE(createPopupMenu(5));  // made after the button, as start-up may do
  menuItem(500, "CSV");
  settle();
  EXPECT_EQ(gadgetText(1), "Export");
  EXPECT_EQ(gadgetWidth(1), 120);

  drive::clickButton(1);
  EXPECT_EQ(settle(), std::vector<Event>{gadgetEvent(1)});

  ASSERT_TRUE(drive::clickDropDownArrow(1));
  EXPECT_TRUE(settle().empty());  // the arrow is no click of the button
  int x = 0, y = 0;
  ASSERT_TRUE(drive::popupMenuShown(5, &x, &y));
  const GdkRectangle button = drive::screenRect(1);
  EXPECT_EQ(x, button.x);
  EXPECT_EQ(y, button.y + button.height);
  drive::choosePopupItem(500);
  EXPECT_EQ(settle(), (std::vector<Event>{{EventKind::Menu, 500, kWin}}));
  EXPECT_FALSE(drive::popupMenuShown(5));

  // A plain button has no arrow part; a split button without its menu shows nothing.
  EXPECT_FALSE(drive::clickDropDownArrow(2));
  freeMenu(5);
  EXPECT_FALSE(drive::clickDropDownArrow(1));
  EXPECT_TRUE(settle().empty());
  disableGadget(1, true);
  EXPECT_FALSE(gtk_widget_is_sensitive(drive::gadgetWidget(1)));
}

}  // namespace
}  // namespace zandrel::ui

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  gHaveDisplay = zandrel::ui::initialize();
  return RUN_ALL_TESTS();
}

namespace zandrel::ui {
namespace {

// ---------------------------------------------------------------------------
// Texts wider than the screen

// A text about 25,000 pixels wide in any font, with no blank to wrap at.
const std::string kLongText = std::string(4500, 'W');

GdkRectangle screenArea() { return GdkRectangle{0, 0, gdk_screen_width(), gdk_screen_height()}; }

bool within(const GdkRectangle& inner, const GdkRectangle& outer) {
  return inner.width > 0 && inner.height > 0 && inner.x >= outer.x && inner.y >= outer.y &&
         inner.x + inner.width <= outer.x + outer.width && inner.y + inner.height <= outer.y + outer.height;
}

TEST_F(UiTest, LongCaptionsAreDrawnWithinTheScreen) {
  open();
  ASSERT_TRUE(createMenuBar(1, kWin));
  menuTitle("File");
  menuItem(100, kLongText);
  openSubMenu(kLongText);
  menuItem(101, "inside");
  closeSubMenu();
  panelGadget(20, 0, 0, 300, 200);
  addPanelTab(20, kLongText);
  addPanelTab(20, "second");
  closeGadgetList();
  buttonGadget(10, 0, 210, 80, 25, kLongText);
  checkBoxGadget(11, 90, 210, 80, 25, kLongText);
  optionGadget(12, 180, 210, 80, 25, kLongText);
  frameGadget(13, 270, 210, 80, 40, kLongText);
  textGadget(14, 0, 250, 80, 20, kLongText);
  hyperlinkGadget(15, 90, 250, 80, 20, kLongText, 0xFF0000);
  setBackgroundColour(14, 0x00FF00);  // a window of its own
  settle();

  const int limit = gdk_screen_width();
  for (const int gadget : {10, 11, 12, 13, 14, 15}) {
    EXPECT_LE(drive::screenRect(gadget).width, limit) << gadget;
    EXPECT_EQ(gadgetText(gadget), kLongText) << gadget;
  }
  EXPECT_EQ(panelTabText(20, 0), kLongText);
  for (const int item : {100, 101}) {
    ASSERT_TRUE(drive::openMenuOf(item)) << item;
    EXPECT_TRUE(within(drive::menuWindowRect(item), screenArea())) << item;
    drive::closeMenusOf(item);
  }
  EXPECT_EQ(menuItemText(1, 100), kLongText);
  EXPECT_EQ(menuLayout(1)[2], kLongText + ">");

  // A caption no screen could show is kept whole, but laid out only as far as
  // a screen reaches.
  const std::string endless(200000, 'i');
  for (const int gadget : {10, 11, 13}) {
    setGadgetText(gadget, endless);
    settle();
    EXPECT_EQ(gadgetText(gadget), endless) << gadget;
    EXPECT_LE(drive::screenRect(gadget).width, limit) << gadget;
    EXPECT_LT(drive::captionTextWidth(gadget), 20 * limit) << gadget;
    // However narrow its characters, a few hundred of them at most.
    EXPECT_LE(g_utf8_strlen(drive::captionLaidOut(gadget).c_str(), -1), 500) << gadget;
  }
}

// What the toolkit would show as the gadget's tooltip: the size its window asks for.
std::optional<GtkRequisition> toolTipSize(int gadget) {
  GObject* tip = G_OBJECT(g_object_new(GTK_TYPE_TOOLTIP, nullptr));
  gboolean shown = FALSE;
  g_signal_emit_by_name(drive::gadgetWidget(gadget), "query-tooltip", 1, 1, FALSE, tip, &shown);
  std::optional<GtkRequisition> size;
  GList* windows = gtk_window_list_toplevels();
  for (GList* w = windows; w != nullptr; w = w->next) {
    GtkWidget* window = GTK_WIDGET(w->data);
    if (shown && g_strcmp0(gtk_widget_get_name(window), "gtk-tooltip") == 0) {
      GtkRequisition r;
      gtk_widget_size_request(window, &r);
      if (!size || r.width * r.height > size->width * size->height) size = r;
    }
  }
  g_list_free(windows);
  g_object_unref(tip);
  return size;
}

TEST_F(UiTest, LongToolTipsFitTheScreen) {
  open();
  std::string words;
  for (int i = 0; i < 3000; ++i) words += "word ";
  std::string lines;
  for (int i = 0; i < 5000; ++i) lines += "line\n";
  buttonGadget(10, 0, 0, 80, 25, "button");
  // The last is far more than any screen holds, in one word.
  for (const std::string& text : {kLongText, words, lines, std::string(100000, 'x')}) {
    setToolTip(10, text);
    EXPECT_EQ(toolTip(10), text);
    EXPECT_FALSE(drive::toolTipLabelBuilt(10)) << "built before it shows";
    const std::optional<GtkRequisition> size = toolTipSize(10);
    ASSERT_TRUE(size.has_value());
    EXPECT_TRUE(drive::toolTipLabelBuilt(10));
    EXPECT_LE(size->width, gdk_screen_width());
    EXPECT_LE(size->height, gdk_screen_height());
    // Only its start is laid out, a few thousand characters at most whatever
    // the font: showing it costs next to nothing.
    const std::string laidOut = drive::toolTipLaidOut(10);
    const std::string ellipsis = "\xE2\x80\xA6";
    ASSERT_TRUE(laidOut.ends_with(ellipsis));
    EXPECT_TRUE(text.starts_with(laidOut.substr(0, laidOut.size() - ellipsis.size())));
    EXPECT_LE(g_utf8_strlen(laidOut.c_str(), -1), 3000);
  }
  setToolTip(10, "Add files");
  const std::optional<GtkRequisition> small = toolTipSize(10);
  ASSERT_TRUE(small.has_value());
  EXPECT_LT(small->width, 200);
  setToolTip(10, "");
  EXPECT_FALSE(toolTipSize(10).has_value());

  // A gadget whose first tooltip is empty still shows a later one.
  buttonGadget(11, 0, 30, 80, 25, "other");
  setToolTip(11, "");
  setToolTip(11, "Add files");
  EXPECT_TRUE(toolTipSize(11).has_value());
}

// Gives the toolkit's own font (the one tooltips and unstyled texts are
// drawn in) another name for the life of the object.
class ToolkitFont {
 public:
  explicit ToolkitFont(const char* name) {
    g_object_get(gtk_settings_get_default(), "gtk-font-name", &saved_, nullptr);
    g_object_set(gtk_settings_get_default(), "gtk-font-name", name, nullptr);
  }
  ~ToolkitFont() {
    g_object_set(gtk_settings_get_default(), "gtk-font-name", saved_, nullptr);
    g_free(saved_);
  }
  ToolkitFont(const ToolkitFont&) = delete;
  ToolkitFont& operator=(const ToolkitFont&) = delete;

 private:
  gchar* saved_ = nullptr;
};

// A tooltip as tall as the screen allows, on a gadget in the middle of the
// screen: room neither below nor above it, yet the tooltip shows whole on the
// monitor.
TEST_F(UiTest, TallToolTipsShowInsideTheMonitor) {
  // A tooltip lays out a few lines at most: only in a large font are they
  // that tall.
  const ToolkitFont large("Sans 30");
  open(400, 300);
  buttonGadget(10, 0, 0, 80, 25, "top left");
  buttonGadget(11, 320, 275, 80, 25, "bottom right");
  setToolTip(10, kLongText);
  setToolTip(11, kLongText);
  settle();
  GdkScreen* screen = gdk_screen_get_default();
  for (const int gadget : {10, 11}) {
    SCOPED_TRACE(gadget);
    const GdkRectangle where = drive::screenRect(gadget);
    GdkRectangle monitor;
    gdk_screen_get_monitor_geometry(
        screen, gdk_screen_get_monitor_at_point(screen, where.x + where.width / 2, where.y + where.height / 2),
        &monitor);
    const GdkRectangle tip = drive::hoverToolTip(gadget);
    ASSERT_GT(tip.width, 0) << "no tooltip showed";
    EXPECT_GT(tip.height, monitor.height / 2);  // else there was room below or above
    EXPECT_TRUE(within(tip, monitor)) << tip.x << "," << tip.y << " " << tip.width << "x" << tip.height;
  }
  // A short one keeps the toolkit's place, near the pointer.
  setToolTip(10, "Add files");
  const GdkRectangle small = drive::hoverToolTip(10);
  const GdkRectangle button = drive::screenRect(10);
  ASSERT_GT(small.width, 0);
  EXPECT_LT(std::abs(small.y - (button.y + button.height / 2)), 100);
}

std::string fontName(GtkWidget* widget) {
  gchar* name = pango_font_description_to_string(gtk_widget_get_style(widget)->font_desc);
  std::string text = name;
  g_free(name);
  return text;
}

// The font a message box draws its text in.
std::string messageBoxFont() {
  std::string font;
  drive::answerNextBox(drive::DialogAnswer::Ok, [&](GtkWidget* box) {
    GtkWidget* label = drive::findWidget(gtk_dialog_get_content_area(GTK_DIALOG(box)),
                                         [](GtkWidget* w) { return GTK_IS_LABEL(w); });
    if (label != nullptr) font = fontName(label);
  });
  messageBox("", "Content copied");
  return font;
}

// The program's default font reaches its dialogs, and leaves them again: no
// later box keeps a font the program no longer asks for.
TEST_F(UiTest, DialogsTakeTheDefaultFontAndGiveItBack) {
  const std::string toolkit = messageBoxFont();
  ASSERT_FALSE(toolkit.empty());
  const struct {
    const char* what;
    void (*giveBack)();
  } ways[] = {
      {"no default font", [] { setDefaultFont(0); }},
      {"shut down", [] { shutdown(); }},
  };
  for (const auto& way : ways) {
    SCOPED_TRACE(way.what);
    ASSERT_TRUE(loadFont(1, "Serif", 20, kFontBold));
    setDefaultFont(1);
    const std::string program = messageBoxFont();
    EXPECT_NE(program.find("Serif Bold"), std::string::npos) << program;
    way.giveBack();
    EXPECT_EQ(messageBoxFont(), toolkit);
  }
}

TEST_F(UiTest, MessageBoxesStayOnTheScreenWithTheirButtons) {
  std::string manyLines;
  for (int i = 0; i < 300; ++i) manyLines += "- /some/folder/file" + std::to_string(i) + "\n";
  std::string endlessLines;
  for (int i = 0; i < 3000; ++i) endlessLines += "- /some/folder/file" + std::to_string(i) + "\n";
  const struct {
    const char* what;
    std::string text;
    bool cut;  // more than a box lays out: it shows the start and "…"
  } cases[] = {
      {"one word wider than the screen", "A newer version '" + std::string(2000, '9') + "' is available", false},
      {"long text with blanks", [] {
         std::string t;
         for (int i = 0; i < 900; ++i) t += "word ";
         return t;
       }(), false},
      {"more lines than the screen is high", manyLines, false},
      {"lines for many screens", endlessLines, true},
      {"one word for many screens", std::string(1000000, '9'), true},
      {"a whole book", [] {
         std::string t;
         for (int i = 0; i < 200000; ++i) t += "word ";
         return t;
       }(), true},
  };
  // Boxes are measured in the font they are drawn in: the toolkit's, or a
  // larger one the program gives its dialogs.
  ASSERT_TRUE(loadFont(1, "Sans", 14, kFontBold));
  for (const bool programFont : {false, true}) {
    if (programFont) setDefaultFont(1);
    for (const auto& c : cases) {
      for (const bool question : {true, false}) {
        SCOPED_TRACE(std::string(c.what) + (question ? " (question)" : " (message)") +
                     (programFont ? " in the program's font" : ""));
        drive::answerNextDialog(question ? drive::DialogAnswer::No : drive::DialogAnswer::Ok);
        if (question) {
          questionBox("", c.text);
        } else {
          messageBox("Error", c.text);
        }
        const GdkRectangle box = drive::lastDialogRect();
        EXPECT_TRUE(within(box, screenArea())) << box.x << "," << box.y << " " << box.width << "x" << box.height;
        EXPECT_EQ(drive::lastDialogButtons().size(), question ? 2u : 1u);
        for (const GdkRectangle& button : drive::lastDialogButtons()) EXPECT_TRUE(within(button, box));
        const std::string shown = drive::lastDialogText();
        if (c.cut) {
          const std::string ellipsis = "\xE2\x80\xA6";
          ASSERT_TRUE(shown.ends_with(ellipsis));
          const std::string start = shown.substr(0, shown.size() - ellipsis.size());
          EXPECT_TRUE(c.text.starts_with(start));
          EXPECT_GT(start.size(), 1000u);
          EXPECT_LT(start.size(), c.text.size() / 2);
        } else {
          EXPECT_EQ(shown, c.text);
        }
      }
    }
  }
  // A short text is shown as before, on one line.
  drive::answerNextDialog(drive::DialogAnswer::Ok);
  messageBox("Error", "No files/directories selected");
  EXPECT_EQ(drive::lastDialogText(), "No files/directories selected");
}

}  // namespace
}  // namespace zandrel::ui
