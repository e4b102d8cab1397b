#include "app/main_window.h"

#include "app/event_loop.h"
#include "app/language_switch.h"
#include "app/layout.h"
#include "app/program_state.h"
#include "bridge/ui_strings.h"
#include "config/default_language.h"
#include "config/languages.h"
#include "config/settings.h"
#include "results/column_sorting.h"
#include "results/results_columns.h"
#include "ui/ui.h"
#include "ui/ui_objects.h"

namespace zandrel {
namespace {

// Which UI text each object shows. Construction and every language switch
// read these tables, so the two never drift apart.
struct TextOf {
  int object;
  UiTextId text;
};

constexpr TextOf kGadgetCaptions[] = {
    {FilesFoldersFrame, kTextFilesAndFolders},
    {AlgorithmFrame, kTextAlgorithm},
    {FileSizeFrame, kTextFilesizeSettings},
    {FileTypesFrame, kTextFileTypes},
    {HiddenCheckBox, kTextSearchHidden},
    {SubdirsCheckBox, kTextSearchSubdirectories},
    {SystemCheckBox, kTextSearchSystem},
    {Md5CheckBox, kTextMd5},
    {Crc32CheckBox, kTextCrc32},
    {Sha1CheckBox, kTextSha1},
    {SizeAnyOption, kTextNoLimitation},
    {ExtensionAnyOption, kTextNoLimitation},
    {SizeIncludeOption, kTextIncludeSizes},
    {SizeExcludeOption, kTextExcludeSizes},
    {ExtensionIncludeOption, kTextIncludeExtensions},
    {ExtensionExcludeOption, kTextExcludeExtensions},
    {MinimumLabel, kTextMinimum},
    {MinimumUnitLabel, kTextBytes},
    {MaximumLabel, kTextMaximum},
    {MaximumUnitLabel, kTextBytes},
    {ExtensionsLabel, kTextFileExtensions},
    {AddLocationButton, kTextAdd},
    {RemoveLocationButton, kTextRemove},
    {ClearLocationsButton, kTextClear},
    {SelectAllButton, kTextSelectAll},
    {ReverseSelectionButton, kTextReverseSelection},
    {DeleteButton, kTextDelete},
    {SelectDuplicatesButton, kTextSelectDuplicates},
    {ClearResultsButton, kTextClearList},
    {InvertSelectionButton, kTextInvertSelection},
    {CopyButton, kTextCopy},
    {MoveButton, kTextMove},
    {ExportButton, kTextExport},
    {ImportButton, kTextImport},
};

constexpr TextOf kFixedToolTips[] = {
    {WebsiteLink, kTextVisitWebsite},
    {ExtensionsField, kTextExtensionsHint},
    {MinSizeField, kTextSizeInBytes},
    {MaxSizeField, kTextSizeInBytes},
    {AddLocationButton, kTextAddToList},
    {ClearLocationsButton, kTextClearAllItems},
    {RemoveLocationButton, kTextRemoveSelectedItems},
};

constexpr TextOf kToolBarToolTips[] = {
    {AddFilesTool, kTextAddFiles},
    {AddFolderTool, kTextAddFolder},
    {SaveSettingsTool, kTextSaveCurrentConfiguration},
    {StartSearchTool, kTextStartSearching},
};

constexpr UiTextId kTabTitles[] = {kTextOptions, kTextSearchLocations, kTextResults};

// The gadgets whose tooltip is their own caption.
constexpr int kFirstSelfTipGadget = HiddenCheckBox;
constexpr int kLastSelfTipGadget = ImportButton;

const std::string& text(UiTextId id) { return gUiText[id]; }

std::string captionOf(int gadget) {
  for (const TextOf& entry : kGadgetCaptions) {
    if (entry.object == gadget) return text(entry.text);
  }
  return {};
}

constexpr int kCheckWidth = 290;  // check boxes and options, wide enough for every language

void buildOptionsTab(int panelWidth, int panelHeight) {
  ui::addPanelTab(MainPanel, text(kTabTitles[OptionsTab]));
  const int tabStrip = ui::panelTabHeight(MainPanel);
  ui::frameGadget(OptionsContainer, 2, 2, panelWidth - 12, panelHeight - tabStrip - 35, "", true);
  ui::frameGadget(FilesFoldersFrame, 11, 5, 283, 160, captionOf(FilesFoldersFrame));
  ui::checkBoxGadget(SubdirsCheckBox, 50, 50, kCheckWidth, 20, captionOf(SubdirsCheckBox));
  const int firstY = ui::gadgetY(SubdirsCheckBox);
  ui::checkBoxGadget(HiddenCheckBox, 50, firstY + 25, kCheckWidth, 20, captionOf(HiddenCheckBox));
  ui::checkBoxGadget(SystemCheckBox, 50, firstY + 50, kCheckWidth, 20, captionOf(SystemCheckBox));
  // Linux files carry no hidden or system attribute.
  ui::disableGadget(HiddenCheckBox, true);
  ui::disableGadget(SystemCheckBox, true);

  ui::frameGadget(AlgorithmFrame, 303, 5, 283, 160, captionOf(AlgorithmFrame));
  ui::checkBoxGadget(Md5CheckBox, 350, firstY, kCheckWidth, 20, captionOf(Md5CheckBox));
  const int md5Y = ui::gadgetY(Md5CheckBox);
  ui::checkBoxGadget(Sha1CheckBox, 350, md5Y + 25, kCheckWidth, 20, captionOf(Sha1CheckBox));
  ui::checkBoxGadget(Crc32CheckBox, 350, md5Y + 50, kCheckWidth, 20, captionOf(Crc32CheckBox));

  ui::frameGadget(FileSizeFrame, 11, 170, 283, 180, captionOf(FileSizeFrame));
  ui::optionGadget(SizeAnyOption, 50, firstY + 150, kCheckWidth, 20, captionOf(SizeAnyOption));
  const int anyY = ui::gadgetY(SizeAnyOption);
  ui::optionGadget(SizeIncludeOption, 50, anyY + 25, kCheckWidth, 20, captionOf(SizeIncludeOption));
  ui::optionGadget(SizeExcludeOption, 50, anyY + 50, kCheckWidth, 20, captionOf(SizeExcludeOption));
  ui::setGadgetState(SizeAnyOption, 1);

  ui::textGadget(MinimumLabel, 80, firstY + 236, 50, 20, captionOf(MinimumLabel));
  ui::stringGadget(MinSizeField, 130, ui::gadgetY(MinimumLabel) - 2, 80, 18, "", true);
  ui::textGadget(MinimumUnitLabel, ui::gadgetX(MinSizeField) + ui::gadgetWidth(MinSizeField) + 5,
                 ui::gadgetY(MinimumLabel), 50, 20, captionOf(MinimumUnitLabel));
  ui::textGadget(MaximumLabel, 80, ui::gadgetY(MinimumLabel) + 22, 50, 20, captionOf(MaximumLabel));
  ui::stringGadget(MaxSizeField, 130, ui::gadgetY(MaximumLabel) - 2, 80, 18, "", true);
  ui::textGadget(MaximumUnitLabel, ui::gadgetX(MinimumUnitLabel), ui::gadgetY(MinimumUnitLabel) + 22, 50, 20,
                 captionOf(MaximumUnitLabel));
  ui::disableGadget(MinSizeField, true);
  ui::disableGadget(MaxSizeField, true);

  ui::frameGadget(FileTypesFrame, 303, 170, 283, 180, captionOf(FileTypesFrame));
  ui::optionGadget(ExtensionAnyOption, 350, anyY, kCheckWidth, 20, captionOf(ExtensionAnyOption));
  ui::optionGadget(ExtensionIncludeOption, 350, anyY + 25, kCheckWidth, 20, captionOf(ExtensionIncludeOption));
  ui::optionGadget(ExtensionExcludeOption, 350, anyY + 50, kCheckWidth, 20, captionOf(ExtensionExcludeOption));
  ui::setGadgetState(ExtensionAnyOption, 1);
  ui::textGadget(ExtensionsLabel, ui::gadgetX(Md5CheckBox) + 20, ui::gadgetY(MinSizeField) + 2, 120, 20,
                 captionOf(ExtensionsLabel));
  ui::stringGadget(ExtensionsField, ui::gadgetX(ExtensionsLabel) + 90, ui::gadgetY(MinSizeField), 80, 20, "");
  ui::disableGadget(ExtensionsField, true);
}

void buildLocationsTab(int panelWidth, int panelHeight) {
  ui::addPanelTab(MainPanel, text(kTabTitles[LocationsTab]));
  const int tabStrip = ui::panelTabHeight(MainPanel);
  ui::listViewGadget(LocationsList, 2, 2, panelWidth - 12, panelHeight - tabStrip - 35);
  ui::enableFileDrop(LocationsList);
  const int listWidth = ui::gadgetWidth(LocationsList);
  const int buttonY = ui::gadgetY(LocationsList) + ui::gadgetHeight(LocationsList) + 2;
  ui::buttonGadget(AddLocationButton, 1, buttonY, listWidth / 3 - 1, 24, captionOf(AddLocationButton));
  ui::buttonGadget(RemoveLocationButton, ui::gadgetX(AddLocationButton) + ui::gadgetWidth(AddLocationButton) + 3,
                   buttonY, listWidth / 3 - 1, 24, captionOf(RemoveLocationButton));
  ui::buttonGadget(ClearLocationsButton,
                   ui::gadgetX(RemoveLocationButton) + ui::gadgetWidth(RemoveLocationButton) + 3, buttonY,
                   listWidth / 3 - 1, 24, captionOf(ClearLocationsButton));
}

void buildResultsTab() {
  ui::addPanelTab(MainPanel, text(kTabTitles[ResultsTab]));
  // The list is made with its first column; the others follow.
  const ResultsColumnSpec& first = kResultsColumns[0];
  ui::listIconGadget(ResultsList, ui::gadgetX(LocationsList), ui::gadgetY(LocationsList),
                     ui::gadgetWidth(LocationsList), ui::gadgetHeight(LocationsList), text(first.title),
                     first.widthFor(ui::gadgetWidth(LocationsList)));
  ui::enableFileDrop(ResultsList);
  const int listWidth = ui::gadgetWidth(ResultsList);
  for (const ResultsColumnSpec& spec : kResultsColumns) {
    if (spec.column == first.column) continue;
    ui::addColumn(ResultsList, spec.column, text(spec.title), spec.widthFor(listWidth));
  }
  registerResultsColumns();

  const int w5 = listWidth / 5;
  const int rowY = ui::gadgetY(ResultsList) + ui::gadgetHeight(ResultsList) + 2;
  int x = ui::gadgetX(ResultsList) - 1;
  for (int button : {SelectAllButton, SelectDuplicatesButton, ReverseSelectionButton, ClearResultsButton,
                     DeleteButton}) {
    ui::buttonGadget(button, x, rowY, w5, 24, captionOf(button));
    x += w5 + 1;
  }
  // The second row starts on one spot; the first layout spreads it out.
  const int sharedX = ui::gadgetX(ResultsList) + w5 + 1;
  for (int button : {InvertSelectionButton, CopyButton, MoveButton}) {
    ui::buttonGadget(button, sharedX, rowY + 26, w5, 24, captionOf(button));
  }
  ui::splitButtonGadget(ExportButton, sharedX, rowY + 26, w5, 24, captionOf(ExportButton), ExportPopupMenu);
  ui::splitButtonGadget(ImportButton, sharedX, rowY + 26, w5, 24, captionOf(ImportButton), ImportPopupMenu);
}

void buildToolBar() {
  if (!ui::createToolBar(MainToolbar, MainWindow)) return;
  ui::toolBarButton(AddFilesTool, FilesIcon);
  ui::toolBarButton(AddFolderTool, FolderIcon);
  ui::toolBarSeparator();
  ui::toolBarButton(SaveSettingsTool, SaveIcon);
  ui::toolBarSeparator();
  ui::toolBarButton(StartSearchTool, SearchIcon);
}

void setToolTips() {
  for (int gadget = kFirstSelfTipGadget; gadget <= kLastSelfTipGadget; ++gadget) {
    ui::setToolTip(gadget, ui::gadgetText(gadget));
  }
  for (const TextOf& entry : kFixedToolTips) ui::setToolTip(entry.object, text(entry.text));
  for (const TextOf& entry : kToolBarToolTips) ui::setToolBarToolTip(MainToolbar, entry.object, text(entry.text));
}

}  // namespace

void buildMainMenu() {
  if (!ui::createMenuBar(MainMenu, MainWindow)) return;
  ui::menuTitle(text(kTextFile));
  ui::menuItem(StartSearchItem, text(kTextStartSearching), SearchIcon);
  ui::menuSeparator();
  ui::openSubMenu(text(kTextAdd), AddIcon);
  ui::menuItem(AddFilesItem, text(kTextFiles), FilesIcon);
  ui::menuItem(AddFolderItem, text(kTextFolder), FolderIcon);
  ui::closeSubMenu();
  ui::menuSeparator();
  ui::openSubMenu(text(kTextLanguage), LanguageIcon);
  addLanguageMenuItem(GermanItem, gLanguageNameGerman);
  addLanguageMenuItem(EnglishItem, gLanguageNameEnglish);
  addLanguageMenuItem(ItalianItem, gLanguageNameItalian);
  addLanguageMenuItem(BulgarianItem, gLanguageNameBulgarian);
  if (!gLanguageFiles.empty()) {
    ui::menuSeparator();
    for (size_t n = 0; n < gLanguageFiles.size(); ++n) {
      addLanguageMenuItem(LanguageFileItemBase + static_cast<int>(n), gLanguageFiles[n]);
    }
  }
  ui::menuSeparator();
  addLanguageMenuItem(TranslateItem, text(kTextTranslate));
  ui::closeSubMenu();
  ui::menuSeparator();
  ui::menuItem(QuitItem, text(kTextQuit), QuitIcon);
  ui::menuTitle("?");
  ui::menuItem(WebsiteItem, text(kTextWebsite), WebsiteIcon);
  ui::menuItem(CheckUpdatesItem, text(kTextCheckForUpdates));
  ui::menuItem(AboutItem, text(kTextAbout), AboutIcon);
}

void buildAddPopupMenu() {
  if (!ui::createPopupMenu(AddPopupMenu)) return;
  ui::menuItem(AddFilesPopupItem, text(kTextFiles), FilesIcon);
  ui::menuItem(AddFolderPopupItem, text(kTextFolder), FolderIcon);
}

void buildCsvPopupMenus() {
  // "CSV" in every language.
  if (ui::createPopupMenu(ExportPopupMenu)) ui::menuItem(ExportCsvItem, "CSV");
  if (ui::createPopupMenu(ImportPopupMenu)) ui::menuItem(ImportCsvItem, "CSV");
}

void captionMainWindow() {
  for (int tab = 0; tab < 3; ++tab) ui::setPanelTabText(MainPanel, tab, text(kTabTitles[tab]));
  for (const TextOf& entry : kGadgetCaptions) ui::setGadgetText(entry.object, text(entry.text));
  for (const ResultsColumnSpec& spec : kResultsColumns) ui::setColumnTitle(ResultsList, spec.column, text(spec.title));
  setToolTips();
}

bool buildMainWindow() {
  if (ui::loadFont(DefaultFont, gFontName, 8)) ui::setDefaultFont(DefaultFont);
  ui::loadFont(BoldFont, gFontName, 8, ui::kFontBold);
  ui::loadFont(LinkFont, "Courier New", 10, ui::kFontUnderline);
  chooseDefaultLanguage();

  ui::WindowStyle style;
  style.sizable = true;
  style.maximizeBox = true;
  style.visible = false;
  if (!ui::openWindow(MainWindow, 788, 544, gWindowTitle, style)) return false;
  ui::setWindowMinSize(MainWindow, 788, 544);

  buildMainMenu();
  buildToolBar();
  ui::useGadgetList(MainWindow);
  ui::panelGadget(MainPanel, 2, ui::toolBarHeight(MainToolbar), 604, 386);
  const int panelWidth = ui::gadgetWidth(MainPanel);
  const int panelHeight = ui::gadgetHeight(MainPanel);
  buildOptionsTab(panelWidth, panelHeight);
  buildLocationsTab(panelWidth, panelHeight);
  buildResultsTab();
  ui::closeGadgetList();

  ui::hyperlinkGadget(WebsiteLink, 788 / 2 - 50, 544 - 20, 88, 26, gWebHost, 0xFF0000);

  if (ui::fontExists(BoldFont)) {
    for (int frame : {FilesFoldersFrame, AlgorithmFrame, FileSizeFrame, FileTypesFrame}) {
      ui::setGadgetFont(frame, BoldFont);
    }
  }
  buildAddPopupMenu();
  sizeFieldDefaultColour = ui::backgroundColour(MinSizeField);
  ui::setGadgetFont(WebsiteLink, LinkFont);
  setToolTips();

  loadSettings();
  applyLanguage();
  ui::setColumnClickHandler(ResultsList, sortByColumnClick);
  layoutMainWindow();
  ui::showWindow(MainWindow, true);
  return true;
}

MainWindowEnd runMainWindow() {
  if (!buildMainWindow()) return MainWindowEnd::Closed;
  return runMainEventLoop();
}

}  // namespace zandrel
