#pragma once
// Object tables shared by the GTK files of the window layer. Private to ui/
// (and to the test drivers of ui_testing.cpp).

#include <gtk/gtk.h>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/ui.h"

namespace zandrel::ui::detail {

// The owner of a window's own gadget list. Not 0: that is a gadget number too.
inline constexpr int kNoOwner = -1;

enum class GadgetKind {
  Button,
  CheckBox,
  Option,
  Frame,
  Text,
  String,
  ListView,
  ListIcon,
  Panel,
  ProgressBar,
  Image,
  Hyperlink,
  ScrollArea,
};

// One list row. The store holds a pointer to it; the texts are the caller's
// bytes, turned into readable UTF-8 only when a cell is drawn.
struct Row {
  std::vector<std::string> texts;
  bool checked = false;
};

struct Gadget {
  GadgetKind kind = GadgetKind::Button;
  int number = 0;
  int window = 0;
  int parent = kNoOwner;        // gadget number of the panel or scroll area holding it, kNoOwner for the window
  GtkWidget* outer = nullptr;   // the widget placed in the parent's GtkFixed
  GtkWidget* main = nullptr;    // the widget that does the work (button, entry, tree view, label...)
  GtkWidget* fixed = nullptr;   // the GtkFixed it sits in
  int x = 0, y = 0, width = 0, height = 0;
  std::string text;
  std::string toolTip;
  int font = 0;
  int image = 0;
  bool hidden = false;
  uint32_t defaultBackground = 0;
  uint32_t background = 0;
  bool backgroundSet = false;
  uint32_t hoverColour = 0;
  bool linkPressed = false;
  int progressMin = 0, progressMax = 1000, progressValue = 0;
  // Lists.
  GtkListStore* store = nullptr;
  GtkCellRenderer* toggle = nullptr;
  std::vector<std::unique_ptr<Row>> rows;
  // Panels: one GtkFixed per tab. (A scroll area's inner GtkFixed is its main widget.)
  std::vector<GtkWidget*> tabs;
  // Split buttons: the arrow part and the popup menu it shows.
  GtkWidget* dropDown = nullptr;
  int dropDownMenu = 0;
  // Lists with columns: what a click on a column title calls.
  ColumnClickHandler columnClick;
};

struct Window {
  int number = 0;
  GtkWidget* window = nullptr;
  GtkWidget* vbox = nullptr;
  GtkWidget* fixed = nullptr;
  GtkWidget* menuBar = nullptr;
  int menuBarNumber = 0;
  std::string title;
  bool sizable = false;
  // Inner size as the program last knew it (set, or reported by the toolkit).
  int width = 0, height = 0;
};

struct MenuEntry {
  GtkWidget* widget = nullptr;
  std::string text;
};

struct Menu {
  int number = 0;
  bool popup = false;
  int window = 0;  // owner of a menu bar; for a popup, the window it was last shown for
  GtkWidget* widget = nullptr;
  std::map<int, MenuEntry> items;
};

struct ToolButton {
  GtkToolItem* item = nullptr;
  std::string toolTip;
};

struct ToolBar {
  int number = 0;
  int window = 0;
  GtkWidget* widget = nullptr;
  std::map<int, ToolButton> buttons;
};

struct Font {
  PangoFontDescription* description = nullptr;
  bool underline = false;
};

// A gadget list: where new gadgets go.
struct GadgetList {
  GtkWidget* fixed = nullptr;
  int window = 0;
  int owner = kNoOwner;  // panel or scroll area gadget, kNoOwner for the window itself
};

struct State {
  bool initialized = false;
  std::map<int, Window> windows;
  std::map<int, std::unique_ptr<Gadget>> gadgets;
  std::map<int, Menu> menus;
  std::map<int, ToolBar> toolBars;
  std::map<int, GdkPixbuf*> images;
  std::map<int, Font> fonts;
  std::deque<Event> events;
  std::string droppedFiles;
  std::vector<GadgetList> lists;
  GtkWidget* optionGroup = nullptr;  // last option of the group being built
  int defaultFont = 0;
  int nextFreeNumber = 0x10000;
  int quiet = 0;
  // Menu under construction: the shells items go to, innermost last.
  int buildMenu = 0;
  std::vector<GtkWidget*> shells;
  int buildToolBar = 0;
};

State& state();

// While one exists, the signal handlers raise no events: the program is
// changing things, not the user.
class Quiet {
 public:
  Quiet() { ++state().quiet; }
  ~Quiet() { --state().quiet; }
  Quiet(const Quiet&) = delete;
  Quiet& operator=(const Quiet&) = delete;
};

void pushEvent(EventKind kind, int object, int window);

Window* findWindow(int number);
Gadget* findGadget(int number);
Gadget* findGadget(int number, GadgetKind kind);
bool isList(const Gadget& g);
Font* findFont(int number);
GdkPixbuf* findImage(int number);

// Shows a popup menu with its top-left corner at the bottom-left corner of a
// gadget, owned by the gadget's window.
void showPopupMenuBelow(int menu, int gadget);

// Forgets every menu and toolbar of a window and destroys their widgets.
void dropWindowMenus(int window);
void destroyAllMenus();

// A widget's rectangle in screen coordinates; a window's is its whole drawn
// area. Empty while the widget has no window.
GdkRectangle onScreen(GtkWidget* widget);

GdkColor toGdkColor(uint32_t rgb);
uint32_t fromGdkColor(const GdkColor& colour);

// The label that shows a gadget's caption; nullptr for a gadget without one.
GtkWidget* captionLabel(const Gadget& g);

// Applies the gadget's font (and underline) to the widgets that show its text.
void applyFont(Gadget& g);
void applyFontToLabel(GtkWidget* label, int font);

// A label asks for no more width than its screen leaves; a longer text ends in
// "…". What it lays out is cut where no screen could show more.
void boundLabel(GtkWidget* label);
// A one-line text cut the same way, for titles drawn without such a label.
std::string screenLine(const std::string& text);
// The readable text a bounded label shows of a caption's bytes, cut the same
// way before the label ever holds the rest.
std::string captionShown(GtkWidget* label, const std::string& bytes);
// A tooltip drawn wrapped within the screen and cut where it would be taller,
// kept on the monitor; its label is built when it first shows.
void setBoundedToolTip(GtkWidget* widget, const std::string& text);
bool toolTipLabelBuilt(GtkWidget* widget);
// The label the widget's tooltip shows, nullptr until it is built.
GtkWidget* builtToolTipLabel(GtkWidget* widget);
// The toolkit's tooltip window while it is shown, else nullptr.
GtkWidget* shownToolTipWindow();
// Puts the text of a message box into the dialog: wrapped when wider than the
// screen, scrolling when still taller than it, and cut after about twenty
// screens, all measured in the font the dialog draws it in.
void addBoundedMessage(GtkWidget* dialog, const std::string& text);

// Lists: a text column drawing its cells from the rows' bytes.
void renderRowText(GtkTreeViewColumn* column, GtkCellRenderer* cell, GtkTreeModel* model, GtkTreeIter* iter,
                   gpointer);
GtkTreeViewColumn* newTextColumn(const std::string& title, int width, bool fixedWidth);

// Lists with columns: a column passes its title clicks to the list's handler;
// its title takes no keyboard focus and keeps the sort arrow's height.
void watchColumnClicks(const Gadget& g, GtkTreeViewColumn* column);
// Lists with columns, once their first column is in: an empty last column
// takes the room the columns leave, and Space checks rows.
void completeColumnList(Gadget& g);

// List helpers used by the test drivers.
void toggleRowCheck(Gadget& g, int row);

// A seam for the window tests: when an answerer is set, each file or folder
// dialog asks it first, and an answer it gives is the dialog's result without
// a chooser ever showing (so no folder listing can race a test's answer).
enum class FileDialogKind { Open, Save, Folder };
struct FileDialogRequest {
  FileDialogKind kind = FileDialogKind::Open;
  std::string title;
  bool multiple = false;
};
struct FileDialogOutcome {
  bool answered = false;           // false: the real chooser runs
  std::vector<std::string> paths;  // as a chooser gives them; none when cancelled
};
using FileDialogAnswerer = FileDialogOutcome (*)(const FileDialogRequest&);
void setFileDialogAnswerer(FileDialogAnswerer answerer);
// The same seam for message and question boxes: when a watcher is set, each
// box asks it first, and a box it turns down is closed unanswered (as its
// close box would close it) without ever showing, so no test waits for a user.
using BoxWatcher = bool (*)(const std::string& title, const std::string& text);
void setBoxWatcher(BoxWatcher watcher);
// The files a chooser has picked, in its own order.
std::vector<std::string> chosenPaths(GtkFileChooser* chooser);
// The folder part of a path: "/" for a file at the root, "" without a slash.
std::string folderWithoutSlashOf(const std::string& path);
bool rowIter(Gadget& g, int row, GtkTreeIter* iter);

}  // namespace zandrel::ui::detail
