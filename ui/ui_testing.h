#pragma once
// Test drivers for the window layer: reach the GTK widgets behind object
// numbers and act on them the way a user would, through the widgets' own
// signals, so the layer's handlers run as they do for real input.

#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <vector>

namespace zandrel::ui::testing {

// The widget doing the work: the button, entry, tree view, notebook, label...
GtkWidget* gadgetWidget(int gadget);
GtkWidget* windowWidget(int window);
// Menu items, popup items and toolbar buttons.
GtkWidget* menuItemWidget(int menuItem);

void clickButton(int gadget);
void toggleCheckBox(int gadget);
void chooseOption(int gadget);
void clickLink(int gadget);
// Hovers the pointer into or out of a link.
void hoverLink(int gadget, bool inside);
// The check box cell's own "toggled" signal (keyboard or accessibility path).
void toggleRowCheck(int list, int row);
// A mouse click on the row's check box in the drawn list (the list must be shown).
void clickRowCheckBox(int list, int row);
// Makes exactly these rows the highlighted ones.
void selectRows(int list, const std::vector<int>& rows);
void activateMenuItem(int menuItem);
// The close box of the window's title bar.
void requestClose(int window);
// A resize from outside the program, as a window manager does it.
void resizeAsUser(int window, int width, int height);
// Types text into a text field as keyboard input would arrive.
void typeText(int gadget, const std::string& text);
// Drops local files on a gadget as a file manager does (text/uri-list).
void dropFiles(int gadget, const std::vector<std::string>& paths);
// Handles the toolkit's pending work without taking events off the queue.
void pumpEvents();

// A click on a column title of a list with columns (only clickable titles react).
void clickColumnTitle(int list, int column);
// The arrow drawn in a column title right now: the toolkit's own arrow widget.
bool columnArrowShown(int list, int column, GtkArrowType* type = nullptr);
// A click on the drop-down arrow part of a split button; true once its menu
// shows. Tests share one display: while another program holds the pointer
// grab that a menu needs, the click is repeated for up to about two seconds.
bool clickDropDownArrow(int gadget);
// Whether the popup menu is on screen, and where its top-left corner is.
bool popupMenuShown(int menu, int* screenX = nullptr, int* screenY = nullptr);
// Chooses an item of a shown popup menu as a click would: the menu closes.
void choosePopupItem(int item);
// Opens the menus that hold a menu item, from the menu bar down, as clicks on
// their titles would; true once the item's own menu shows.
bool openMenuOf(int menuItem);
// The rectangle of the toplevel window a shown menu lives in (screen coordinates).
GdkRectangle menuWindowRect(int menuItem);
// Closes every open menu of the item's menu bar again.
void closeMenusOf(int menuItem);
// The gadget's outer rectangle in screen coordinates.
GdkRectangle screenRect(int gadget);

// Whether the gadget's tooltip label is built yet: it is built when the
// tooltip first shows.
bool toolTipLabelBuilt(int gadget);
// Moves the pointer onto the middle of the gadget and waits, a few seconds at
// most, for the toolkit to show its tooltip; the rectangle the tooltip window
// then takes on the screen, empty when none showed. The pointer is moved off
// again and the tooltip gone before it returns.
GdkRectangle hoverToolTip(int gadget);

// The first widget in the tree under root, root included and depth first,
// that wanted accepts; the tree under skip is passed over.
GtkWidget* findWidget(GtkWidget* root, const std::function<bool(GtkWidget*)>& wanted, GtkWidget* skip = nullptr);

// The width a gadget needs to show its whole caption in the font it has: the
// text as drawn plus the border, box or indicator the gadget puts around it
// (for a split button, its arrow part too). 0 for a gadget without a caption.
int captionNeededWidth(int gadget);
// The same for a column title of a list with columns, its sort arrow
// included while one is shown.
int columnTitleNeededWidth(int list, int column);
// The pixel width of a gadget's caption text alone, in its font.
int captionTextWidth(int gadget);
// What the toolkit lays out of a gadget's caption: the text its label holds.
std::string captionLaidOut(int gadget);
// What the toolkit lays out of a gadget's tooltip: the text of its tooltip
// label, empty until that is built.
std::string toolTipLaidOut(int gadget);

enum class DialogAnswer { Ok, Yes, No, Cancel };
// Answers the next modal dialog that opens: message and question boxes get
// the response of that button (Cancel closes the box). A file or folder
// dialog is answered before any chooser shows: Ok or Yes makes the paths its
// result (as the chooser gives them: absolute, no trailing "/"), No or Cancel
// cancels it. A file dialog or a box that opens with no answer waiting (it is
// closed at once, a question box answered No), an answer that waits about
// half a minute for its dialog and a chooser that never shows its paths fail
// the test; the answers still waiting are dropped then.
void answerNextDialog(DialogAnswer answer, const std::vector<std::string>& paths = {});
// As answerNextDialog for a message or question box; look sees the box as it
// is drawn, just before the answer.
void answerNextBox(DialogAnswer answer, const std::function<void(GtkWidget* box)>& look);
// As answerNextDialog, but the next file or folder dialog shows the toolkit's
// real chooser: its folder and paths are set the way a user picks them, and
// Ok or Yes accepts only once the chooser shows exactly those paths in their
// folder. A name that another one in the folder extends may get completed by
// the chooser, so tests keep such names apart.
void answerNextChooser(DialogAnswer answer, const std::vector<std::string>& paths = {});
// Types a name into the next file or folder dialog's location field and
// presses Enter, as a user would. That dialog may stay open: the next answer
// goes to it too.
void typeIntoNextFileDialog(const std::string& name);
// Drops the answers still waiting and the record of the last dialog.
void forgetDialogs();
// What the last answered dialog showed.
std::string lastDialogTitle();
std::string lastDialogText();
// Where the last answered message or question box lay on the screen when it
// was answered, and its buttons.
GdkRectangle lastDialogRect();
std::vector<GdkRectangle> lastDialogButtons();
// True while an answer given by answerNextDialog still waits for its dialog.
bool answersPending();

// Real input: events that go through the X server and reach the program as a
// user's keys and clicks do (the toolkit's test events).
// A key pressed and released in a window, which hands it to its focus widget
// or to its open menu. The window gets the keyboard focus first, unless a
// menu holds the keyboard.
void pressKey(int window, guint keyval, GdkModifierType modifiers = GdkModifierType(0));
// A click of the first pointer button at a point of a shown widget, in the
// widget's own coordinates; the pointer moves there first.
void clickWidgetAt(GtkWidget* widget, int x, int y);
// A real click on the middle of a column title.
void clickColumnTitleWithPointer(int list, int column);
// A real click on the middle of a row's cell in a column of a shown list.
void clickRowWithPointer(int list, int row, int column);
// A real click on the middle of a row's check box in a shown list.
void clickRowCheckBoxWithPointer(int list, int row);
// Height of a list's row of column titles as laid out: how far down its rows start.
int columnTitlesHeight(int list);

}  // namespace zandrel::ui::testing
