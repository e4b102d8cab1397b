#pragma once
// The main event loop and the commands that live in it.

#include <optional>
#include <string>

#include "app/main_window.h"
#include "ui/ui.h"

namespace zandrel {

// Waits for events and carries out their commands until MainWindow is closed
// or Quit is chosen.
MainWindowEnd runMainEventLoop();

// Carries out the command of one event; an end when the loop must stop.
std::optional<MainWindowEnd> dispatchMainEvent(const ui::Event& event);

// Location commands.
void addFilesCommand();
void addFolderCommand();
// Appends the path to LocationsList unless a row holds exactly this text.
void addSearchLocation(const std::string& path);
// Adds each line of a drop as it was dropped.
void addDroppedLocations(const std::string& droppedText);
void removeSelectedLocations();
void clearLocations();

// Row-check commands of ResultsList; each removes the rows' highlight.
void selectAllRows();
void selectDuplicateRows();
void uncheckAllRows();
void invertRowChecks();
void clearResultsList();

// Keeps at least one algorithm chosen after a click on one of the three boxes.
void keepOneAlgorithm(int clickedBox);

// Reads the size fields into gMinSize and gMaxSize; false (with an error box
// and the maximum field painted red) when they make no sense.
bool validateSizeLimits();
// Start searching: empties ResultsList, checks the size rule, runs the search.
void startSearching();

// The number at the start of a size field: optional sign and digits after
// blanks and tabs; 0 when there is none.
int64_t parseSizeField(const std::string& text);

}  // namespace zandrel
