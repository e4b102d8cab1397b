#pragma once
// The window layer: numbered windows, gadgets (controls), menus, toolbar
// buttons, images and fonts over GTK 2. Nothing outside ui/ includes GTK; the
// program addresses everything by the object numbers of ui/ui_objects.h.
//
// Windows, gadgets, menus (menu bars and popup menus), menu items (which
// include toolbar buttons and popup items), images and fonts are separate
// kinds: equal numbers of different kinds never clash.
//
// Geometry is in pixels. A gadget's x and y are relative to its parent: the
// window's content area (below the menu bar), a panel tab's inner area or a
// scroll area's inner area. New gadgets go into the current gadget list: the
// last window opened, or the panel tab / scroll area opened since, until
// closeGadgetList().
//
// Setting a state or a text from the program raises no event. Every function
// that takes an object number does nothing (or returns 0 / empty) when no
// object of that number exists.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zandrel::ui {

// Pass as a gadget number to have the layer pick a free number; the create
// call then returns it.
inline constexpr int kAnyNumber = -1;
// Pass as x, y, width or height to resizeGadget to keep that value.
inline constexpr int kKeep = -1;

// ---------------------------------------------------------------------------
// Start and end

// Brings up the toolkit; false when there is no display.
bool initialize();
// Closes every window and frees every object.
void shutdown();

// ---------------------------------------------------------------------------
// Events

enum class EventKind {
  None,              // nothing arrived within the time-out
  SizeWindow,        // object = window whose inner size changed
  CloseWindow,       // object = window whose close box was pressed
  Gadget,            // object = gadget: button click, toggle, option chosen, link click
  GadgetDrop,        // object = gadget that received dropped files; see droppedFiles()
  Menu,              // object = menu item, toolbar button or popup item
};

struct Event {
  EventKind kind = EventKind::None;
  int object = 0;  // gadget, menu item or window number
  int window = 0;  // window the event belongs to
};

// Blocks until the next event.
Event waitEvent();
// Waits at most timeoutMs milliseconds; EventKind::None when nothing came.
Event waitEvent(int timeoutMs);
// Handles pending toolkit work and returns the next queued event, never waiting.
Event pollEvent();
// The next event already queued, without handling the toolkit's pending work
// (nothing new arrives, nothing is drawn): for loops that take one event per
// step of work but let the toolkit draw only now and then.
Event takeQueuedEvent();
// Paths of the last GadgetDrop event, local files only, one per line in the
// order the drop gave them, without a trailing line feed; bytes as on disk.
std::string droppedFiles();

// ---------------------------------------------------------------------------
// Windows

struct WindowStyle {
  bool sizable = false;
  bool minimizeBox = true;
  bool maximizeBox = false;
  bool closeBox = true;
  bool visible = true;
  bool toolWindow = false;  // small caption, no minimize or maximize box
};

// Opens a window with the given inner size. Centred on the screen, or on its
// owner when owner is not 0. Returns false when it cannot be made.
bool openWindow(int number, int width, int height, const std::string& title, const WindowStyle& style,
                int owner = 0);
void closeWindow(int number);
bool windowExists(int number);
void showWindow(int number, bool visible);
bool windowVisible(int number);
void setWindowTitle(int number, const std::string& title);
std::string windowTitle(int number);
// Inner size: the content area plus the menu bar, when the window has one.
int windowWidth(int number);
int windowHeight(int number);
void resizeWindow(int number, int width, int height);
void setWindowMinSize(int number, int width, int height);
// Makes the window's content area the current gadget list.
void useGadgetList(int window);
// Shows the busy cursor over the window, or its own cursor again, at once:
// for a command that holds the GUI thread and runs no event loop meanwhile.
void setBusyCursor(int window, bool busy);
bool busyCursorShown(int window);
// The busy cursor over a window for as long as the object lives.
class BusyCursor {
 public:
  explicit BusyCursor(int window) : window_(window) { setBusyCursor(window_, true); }
  ~BusyCursor() { setBusyCursor(window_, false); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  int window_;
};

// ---------------------------------------------------------------------------
// Gadgets

// Creation. Each returns the gadget's number (the one given, or a new one for
// kAnyNumber), or -1 when it could not be made.
int buttonGadget(int number, int x, int y, int width, int height, const std::string& text);
// A button with a narrow drop-down arrow part at its right. The main part
// raises Gadget like any button; a click on the arrow raises nothing and shows
// popupMenu just below the button's left corner, owned by the button's window
// (its items raise Menu). The menu is looked up at each click, so it may be
// made after the button.
int splitButtonGadget(int number, int x, int y, int width, int height, const std::string& text, int popupMenu);
int checkBoxGadget(int number, int x, int y, int width, int height, const std::string& text);
// Options created one after another form one group; any other gadget created
// in between ends the group. The first option of a group starts chosen.
int optionGadget(int number, int x, int y, int width, int height, const std::string& text);
// A titled frame; with an empty title and flat = true a one-pixel border.
int frameGadget(int number, int x, int y, int width, int height, const std::string& title, bool flat = false);
// A text, at the gadget's left edge or centred across its width.
int textGadget(int number, int x, int y, int width, int height, const std::string& text, bool centred = false);
// A one-line text field; digitsOnly refuses every character but 0 to 9.
int stringGadget(int number, int x, int y, int width, int height, const std::string& text, bool digitsOnly = false);
// A list of text rows with extended multiple selection and scroll bars.
int listViewGadget(int number, int x, int y, int width, int height);
// A list with columns (the first column's title and width given here), a
// check box in front of each row, full-row multiple selection. Space checks
// or unchecks the row with the focus mark as a click on its box does, and
// when that row is highlighted every highlighted row with it. Each column
// keeps its width; the room they leave stays empty at the right.
int listIconGadget(int number, int x, int y, int width, int height, const std::string& firstTitle, int firstWidth);
// A tab panel; add tabs with addPanelTab, each opens that tab's gadget list.
int panelGadget(int number, int x, int y, int width, int height);
// A progress bar, range 0 to 1000 until setProgressRange.
int progressBarGadget(int number, int x, int y, int width, int height);
int imageGadget(int number, int x, int y, int width, int height, int image);
// A text that acts like a web link: hand cursor, raises a Gadget event on a
// click, and is drawn in hoverColour while the pointer is over it.
int hyperlinkGadget(int number, int x, int y, int width, int height, const std::string& text, uint32_t hoverColour);
// A scroll area with an inner area of innerWidth x innerHeight; it opens its
// own gadget list.
int scrollAreaGadget(int number, int x, int y, int width, int height, int innerWidth, int innerHeight,
                     int scrollStep);
// Ends the gadget list opened by a panel tab or a scroll area.
void closeGadgetList();

bool gadgetExists(int number);
void freeGadget(int number);

// Position and size as last set (the layer keeps them; nothing waits for drawing).
int gadgetX(int number);
int gadgetY(int number);
int gadgetWidth(int number);
int gadgetHeight(int number);
void resizeGadget(int number, int x, int y, int width, int height);

// Caption of buttons, check boxes, options, frames, texts, links and the
// window-less text of fields.
void setGadgetText(int number, const std::string& text);
std::string gadgetText(int number);
// Check box and option: 1 checked / chosen, else 0. Panel: current tab.
// Progress bar: value. Setting never raises an event.
void setGadgetState(int number, int state);
int gadgetState(int number);
// Whether a check box or option is checked (its state is 1).
inline bool gadgetChecked(int number) { return gadgetState(number) == 1; }
void setProgressRange(int number, int minimum, int maximum);
int progressMaximum(int number);
// A gadget that has the keyboard focus when it is disabled gets it back when
// it is enabled again, unless the focus went elsewhere meanwhile.
void disableGadget(int number, bool disabled);
bool gadgetDisabled(int number);
void hideGadget(int number, bool hidden);
// Background colour as 0xRRGGBB; backgroundColour gives the current one.
void setBackgroundColour(int number, uint32_t rgb);
uint32_t backgroundColour(int number);
void setGadgetFont(int number, int font);
void setToolTip(int number, const std::string& text);
std::string toolTip(int number);
void setGadgetImage(int number, int image);
// Accept files dropped from other programs: raises GadgetDrop.
void enableFileDrop(int number);
// Height of a panel's row of tab titles.
int panelTabHeight(int number);
// Panel tabs: add one (opens its gadget list) and rename one.
void addPanelTab(int panel, const std::string& title);
void setPanelTabText(int panel, int tab, const std::string& title);
std::string panelTabText(int panel, int tab);
int panelTabCount(int panel);

// ---------------------------------------------------------------------------
// List rows (listViewGadget and listIconGadget)

// Row state bits.
inline constexpr int kRowSelected = 1;
inline constexpr int kRowChecked = 2;

// Adds a row at position (-1 = at the end); columns separated by '\n'.
void addRow(int list, int position, const std::string& texts);
void removeRow(int list, int row);
void clearRows(int list);
int rowCount(int list);
std::string rowText(int list, int row, int column = 0);
void setRowText(int list, int row, int column, const std::string& text);
// kRowSelected / kRowChecked bits, independent of each other.
int rowState(int list, int row);
void setRowState(int list, int row, int state);
// The current row: the one holding the keyboard focus mark, -1 when none.
int currentRow(int list);
// Moves the focus mark to the row and scrolls it into view; -1 (or a row that
// does not exist) takes the mark away. Highlights stay as they are.
void setCurrentRow(int list, int row);
void addColumn(int list, int position, const std::string& title, int width);
void setColumnTitle(int list, int column, const std::string& title);
std::string columnTitle(int list, int column);
int columnWidth(int list, int column);
int columnCount(int list);

// Column titles of a listIconGadget become clickable once a handler is set:
// a click calls it at once with the list and the column index, from whichever
// loop is handling the toolkit's events, and raises no event (so no command's
// polling loop can swallow it). An empty handler makes the titles plain again.
using ColumnClickHandler = std::function<void(int list, int column)>;
void setColumnClickHandler(int list, ColumnClickHandler handler);

// The sort arrow drawn in a column title; setting it sorts nothing.
enum class SortArrow { None, Up, Down };
void setColumnSortArrow(int list, int column, SortArrow arrow);
SortArrow columnSortArrow(int list, int column);

// Puts the rows in a new order: order[i] is the old position of the row that
// goes to position i. Each row keeps its texts, check mark and highlight.
// Nothing happens unless order is a permutation of 0 to rowCount - 1.
void reorderRows(int list, const std::vector<int>& order);

// ---------------------------------------------------------------------------
// Images and fonts

// An image from 8-bit RGBA pixels, rows top to bottom.
bool createImage(int number, int width, int height, const std::vector<unsigned char>& rgba);
bool imageExists(int number);

// The face of the interface texts. The layout's widths were made for a narrow
// face at 8 points; this one (fonts-liberation, Latin and Cyrillic) keeps
// every caption of every built-in language inside its gadget.
inline constexpr const char* kInterfaceFace = "Liberation Sans Narrow";

// Sizes are in points of 96 pixels to the inch, whatever the screen's resolution.
enum FontStyle { kFontRegular = 0, kFontBold = 1, kFontUnderline = 2 };
bool loadFont(int number, const std::string& face, int points, int style = kFontRegular);
bool fontExists(int number);
// Font given to every gadget made from now on (0: the toolkit's own). A font
// also becomes the one of the column titles and of every dialog,
// whatever the desktop's theme sets; with 0, and after shutdown, they have
// the toolkit's own again.
void setDefaultFont(int font);

// ---------------------------------------------------------------------------
// Menus, popup menus and toolbars

// A menu bar on the window; replaces one of the same number.
bool createMenuBar(int number, int window);
// A popup menu; replaces one of the same number.
bool createPopupMenu(int number);
// Items go to the menu made or opened last.
void menuTitle(const std::string& text);
void menuItem(int item, const std::string& text, int image = 0);
void menuSeparator();
void openSubMenu(const std::string& text, int image = 0);
void closeSubMenu();
void freeMenu(int number);
bool menuExists(int number);
// Height of the window's menu bar, 0 when it has none.
int menuBarHeight(int window);
std::string menuItemText(int menu, int item);
// Labels of a menu's entries in order, "-" for a separator, submenus as
// "label>" followed by their items and "<".
std::vector<std::string> menuLayout(int menu);
// Shows the popup menu at the mouse pointer.
void showPopupMenu(int number, int window);

bool createToolBar(int number, int window);
void toolBarButton(int item, int image);
void toolBarSeparator();
void setToolBarToolTip(int toolbar, int item, const std::string& text);
std::string toolBarToolTip(int toolbar, int item);
int toolBarHeight(int toolbar);

// ---------------------------------------------------------------------------
// Dialogs, message boxes, clipboard

enum class Answer { Ok, Yes, No };

// Modal boxes centred on the screen, text with a 10-pixel margin, no icon.
void messageBox(const std::string& title, const std::string& text);
Answer questionBox(const std::string& title, const std::string& text);

// Open-file dialog; the filter is "label|pattern" pairs joined by '|'.
// Returns the chosen paths, none when cancelled.
std::vector<std::string> openFileDialog(const std::string& title, const std::string& defaultFile,
                                        const std::string& filter, bool multiple);
// Save dialog: the chosen path or "" when cancelled. No extension is added and
// nothing asks before overwriting.
std::string saveFileDialog(const std::string& title, const std::string& defaultFile, const std::string& filter);
// Folder dialog: the chosen folder with a trailing "/", or "" when cancelled.
std::string folderDialog(const std::string& title, const std::string& initialFolder);

void setClipboardText(const std::string& text);
std::string clipboardText();

// A file name as the user should read it: valid UTF-8 unchanged, other bytes
// replaced by the Unicode replacement character.
std::string displayName(const std::string& bytes);

// ---------------------------------------------------------------------------
// Read-only fields, file drops through fields, freeing fonts

// A read-only text field shows its text for selecting and copying; the user
// cannot change it, the program still can (setGadgetText).
void setReadOnly(int number, bool readOnly);
bool gadgetReadOnly(int number);
// Files dropped on the text field raise GadgetDrop for target (a gadget made a
// drop target by enableFileDrop, such as the scroll area holding the field),
// as a drop on target itself would. Dropped text still goes into the field
// when it is editable.
void passFileDrops(int field, int target);
// Frees a font made by loadFont; free it only once no gadget uses it.
void freeFont(int number);

}  // namespace zandrel::ui
