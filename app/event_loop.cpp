#include "app/event_loop.h"

#include <optional>

#include "app/about_window.h"
#include "app/language_switch.h"
#include "app/layout.h"
#include "app/program_state.h"
#include "app/results_export.h"
#include "app/results_import.h"
#include "app/update_check.h"
#include "app/web_address.h"
#include "bridge/messages.h"
#include "bridge/search_driver.h"
#include "bridge/ui_strings.h"
#include "config/languages.h"
#include "config/settings.h"
#include "config/translation_tool.h"
#include "engine/search_state.h"
#include "engine/shared_helpers.h"
#include "results/file_actions.h"
#include "ui/ui.h"
#include "ui/ui_objects.h"

namespace zandrel {
namespace {

constexpr uint32_t kRefusedFieldColour = 0xFF0000;

void switchLanguage(const std::string& language) {
  gLanguage = language;
  applyLanguage();
}

void setRowsChecked(bool (*checkedAfter)(int row, bool checkedBefore)) {
  const int count = ui::rowCount(ResultsList);
  for (int row = 0; row < count; ++row) {
    const bool before = (ui::rowState(ResultsList, row) & ui::kRowChecked) != 0;
    // Setting the whole state also takes away the highlight.
    ui::setRowState(ResultsList, row, checkedAfter(row, before) ? ui::kRowChecked : 0);
  }
  // And the focus mark.
  if (count > 0) ui::setCurrentRow(ResultsList, -1);
}

}  // namespace

int64_t parseSizeField(const std::string& text) { return parseLeadingInteger(text); }

void addSearchLocation(const std::string& path) {
  const int count = ui::rowCount(LocationsList);
  for (int row = 0; row < count; ++row) {
    if (ui::rowText(LocationsList, row) == path) return;
  }
  // Compared as given, stored in its absolute form.
  ui::addRow(LocationsList, -1, getFullPath(path));
}

void addDroppedLocations(const std::string& droppedText) {
  size_t pos = 0;
  for (;;) {
    const size_t end = droppedText.find('\n', pos);
    addSearchLocation(droppedText.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
    if (end == std::string::npos) break;
    pos = end + 1;
  }
}

void addFilesCommand() {
  const std::string filter = gUiText[kTextAllFiles] + " (*.*)|*.*";
  for (const std::string& path : ui::openFileDialog(gUiText[kTextSelectFiles], "", filter, true)) {
    addSearchLocation(path);
  }
}

void addFolderCommand() {
  const std::string folder = ui::folderDialog(gUiText[kTextSelectDirectory], lastFolderPath);
  if (folder.empty()) return;
  lastFolderPath = folder;
  addSearchLocation(folder);
}

void removeSelectedLocations() {
  const int count = ui::rowCount(LocationsList);
  bool anySelected = false;
  for (int row = 0; row < count && !anySelected; ++row) {
    anySelected = (ui::rowState(LocationsList, row) & ui::kRowSelected) != 0;
  }
  if (!anySelected) return;
  if (ui::questionBox(gUiText[kTextDeleteItems], gUiText[kTextAskDeleteSelectedItems]) != ui::Answer::Yes) return;
  for (int row = count - 1; row >= 0; --row) {
    if (ui::rowState(LocationsList, row) & ui::kRowSelected) ui::removeRow(LocationsList, row);
  }
}

void clearLocations() {
  if (ui::rowCount(LocationsList) == 0) return;
  if (ui::questionBox(gUiText[kTextDeleteAllItems], gUiText[kTextAskDeleteAllItems]) == ui::Answer::Yes) {
    ui::clearRows(LocationsList);
  }
}

void selectAllRows() {
  setRowsChecked([](int, bool) { return true; });
}

void uncheckAllRows() {
  setRowsChecked([](int, bool) { return false; });
}

void invertRowChecks() {
  setRowsChecked([](int, bool before) { return !before; });
}

void selectDuplicateRows() {
  gGroupSeen.clear();
  setRowsChecked([](int row, bool) {
    int64_t& seen = gGroupSeen[ui::rowText(ResultsList, row, GroupColumn)];
    const bool again = seen == 1;
    seen = 1;
    return again;
  });
}

void clearResultsList() {
  if (ui::rowCount(ResultsList) == 0) return;
  if (ui::questionBox(gUiText[kTextDeleteAllItems], gUiText[kTextAskDeleteAllItems]) == ui::Answer::Yes) {
    ui::clearRows(ResultsList);
  }
}

void keepOneAlgorithm(int clickedBox) {
  int others = 0;
  for (int box : {Md5CheckBox, Sha1CheckBox, Crc32CheckBox}) {
    if (box != clickedBox && ui::gadgetChecked(box)) ++others;
  }
  if (others == 0) ui::setGadgetState(clickedBox, 1);
}

bool validateSizeLimits() {
  const bool include = ui::gadgetChecked(SizeIncludeOption);
  const bool exclude = ui::gadgetChecked(SizeExcludeOption);
  if (include || exclude) {
    gMinSize = parseSizeField(ui::gadgetText(MinSizeField));
    gMaxSize = parseSizeField(ui::gadgetText(MaxSizeField));
    const bool maximumGiven = !trimBlanks(ui::gadgetText(MaxSizeField)).empty();
    std::optional<UiTextId> refusal;
    if ((exclude && gMaxSize < 1) || (include && gMaxSize < 1 && maximumGiven)) {
      refusal = kTextPositiveNumber;
    } else if (gMaxSize < gMinSize && maximumGiven) {
      refusal = kTextMaximumBelowMinimum;
    }
    if (refusal) {
      showErrorMessage(gUiText[*refusal]);
      ui::setBackgroundColour(MaxSizeField, kRefusedFieldColour);
      return false;
    }
  }
  ui::setBackgroundColour(MinSizeField, sizeFieldDefaultColour);
  ui::setBackgroundColour(MaxSizeField, sizeFieldDefaultColour);
  return true;
}

void startSearching() {
  ui::clearRows(ResultsList);
  if (validateSizeLimits()) runSearch();
}

std::optional<MainWindowEnd> dispatchMainEvent(const ui::Event& event) {
  switch (event.kind) {
    case ui::EventKind::SizeWindow:
      if (event.object == MainWindow) layoutMainWindow();
      break;
    case ui::EventKind::CloseWindow:
      if (event.object == MainWindow) {
        ui::closeWindow(MainWindow);
        return MainWindowEnd::Closed;
      }
      break;
    case ui::EventKind::GadgetDrop:
      if (event.object == LocationsList) addDroppedLocations(ui::droppedFiles());
      if (event.object == ResultsList) importDroppedResults(ui::droppedFiles());
      break;
    case ui::EventKind::Gadget:
      switch (event.object) {
        case Md5CheckBox:
        case Sha1CheckBox:
        case Crc32CheckBox:
          keepOneAlgorithm(event.object);
          break;
        case SizeAnyOption:
        case SizeIncludeOption:
        case SizeExcludeOption:
          ui::disableGadget(MinSizeField, event.object == SizeAnyOption);
          ui::disableGadget(MaxSizeField, event.object == SizeAnyOption);
          break;
        case ExtensionAnyOption:
        case ExtensionIncludeOption:
        case ExtensionExcludeOption:
          ui::disableGadget(ExtensionsField, event.object == ExtensionAnyOption);
          break;
        case WebsiteLink:
          openWebAddress("http://" + gWebHost);
          break;
        case SelectAllButton:
          selectAllRows();
          break;
        case SelectDuplicatesButton:
          selectDuplicateRows();
          break;
        case ReverseSelectionButton:
          uncheckAllRows();
          break;
        case InvertSelectionButton:
          invertRowChecks();
          break;
        case ClearResultsButton:
          clearResultsList();
          break;
        case AddLocationButton:
          ui::showPopupMenu(AddPopupMenu, MainWindow);
          break;
        case DeleteButton:
          deleteSelectedFiles();
          break;
        case MoveButton:
          moveSelectedFiles();
          break;
        case CopyButton:
          copySelectedFiles();
          break;
        case ExportButton:
          exportResults();
          break;
        case ImportButton:
          importResults("");
          break;
        case RemoveLocationButton:
          removeSelectedLocations();
          break;
        case ClearLocationsButton:
          clearLocations();
          break;
        default:
          break;
      }
      break;
    case ui::EventKind::Menu:
      switch (event.object) {
        case StartSearchItem:
        case StartSearchTool:
          startSearching();
          break;
        case AddFilesItem:
        case AddFilesPopupItem:
        case AddFilesTool:
          addFilesCommand();
          break;
        case AddFolderItem:
        case AddFolderPopupItem:
        case AddFolderTool:
          addFolderCommand();
          break;
        case SaveSettingsTool:
          saveSettings();
          break;
        case EnglishItem:
          switchLanguage(gLanguageNameEnglish);
          break;
        case GermanItem:
          switchLanguage(gLanguageNameGerman);
          break;
        case ItalianItem:
          switchLanguage(gLanguageNameItalian);
          break;
        case BulgarianItem:
          switchLanguage(gLanguageNameBulgarian);
          break;
        case TranslateItem:
          ui::showWindow(MainWindow, false);
          runTranslationTool();
          ui::showWindow(MainWindow, true);
          break;
        case WebsiteItem:
          openWebAddress("http://" + gWebHost + "/" + gWebLanguageCode + "/zrl.php");
          break;
        case CheckUpdatesItem:
          checkForUpdates();
          break;
        case AboutItem:
          showAboutWindow();
          break;
        case QuitItem:
          return MainWindowEnd::Quit;
        case ExportCsvItem:
          exportCsvResults();
          break;
        case ImportCsvItem:
          importCsvResults("");
          break;
        default:
          if (event.object >= LanguageFileItemBase) {
            switchLanguage(ui::menuItemText(MainMenu, event.object) + ".lng");
          }
          break;
      }
      break;
    case ui::EventKind::None:
      break;
  }
  return std::nullopt;
}

MainWindowEnd runMainEventLoop() {
  for (;;) {
    if (const auto end = dispatchMainEvent(ui::waitEvent())) return *end;
  }
}

}  // namespace zandrel
