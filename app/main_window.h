#pragma once
// The main window: construction, captions in the current language, and the
// main procedure that runs its event loop.

namespace zandrel {

enum class MainWindowEnd { Closed, Quit };

// Builds and shows MainWindow, then runs the event loop until the window is
// closed or Quit is chosen. Returns at once when the window cannot be made.
MainWindowEnd runMainWindow();

// Construction alone, shown and laid out, without the loop; false when the
// window cannot be made.
bool buildMainWindow();

// (Re)creates the menu bar and the Add popup menu with the current texts.
void buildMainMenu();
void buildAddPopupMenu();
// Start-up: the drop-down menus of ExportButton and ImportButton.
void buildCsvPopupMenus();

// Sets every caption, tab title, column title and tooltip of MainWindow from gUiText.
void captionMainWindow();

}  // namespace zandrel
