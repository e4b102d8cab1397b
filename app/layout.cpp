#include "app/layout.h"

#include "ui/ui.h"
#include "ui/ui_objects.h"

namespace zandrel {
namespace {

using ui::kKeep;
int x(int gadget) { return ui::gadgetX(gadget); }
int y(int gadget) { return ui::gadgetY(gadget); }
int width(int gadget) { return ui::gadgetWidth(gadget); }
int height(int gadget) { return ui::gadgetHeight(gadget); }
void place(int gadget, int left, int top, int w = kKeep, int h = kKeep) { ui::resizeGadget(gadget, left, top, w, h); }

}  // namespace

void layoutMainWindow() {
  const int W = ui::windowWidth(MainWindow);
  const int H = ui::windowHeight(MainWindow);
  // The inner height counts the menu bar; take it off with a little air.
  const int menuHeight = ui::menuBarHeight(MainWindow);
  const int r = menuHeight > 0 ? menuHeight + 5 : 0;

  place(MainPanel, kKeep, kKeep, W - 4, H - r - 63);
  place(LocationsList, kKeep, kKeep, W - 16, H - r - 120);
  place(AddLocationButton, kKeep, y(LocationsList) + height(LocationsList) + 2, width(LocationsList) / 3 - 1);
  place(RemoveLocationButton, x(AddLocationButton) + width(AddLocationButton) + 3, y(AddLocationButton),
        width(AddLocationButton));
  place(ClearLocationsButton, x(RemoveLocationButton) + width(RemoveLocationButton) + 3, y(AddLocationButton),
        width(AddLocationButton));

  place(OptionsContainer, x(LocationsList), y(LocationsList) - 5, width(LocationsList), H - 20 - r - 73);
  place(FilesFoldersFrame, kKeep, kKeep, width(OptionsContainer) / 2 - 14, height(OptionsContainer) / 2 - 8);
  place(AlgorithmFrame, x(FilesFoldersFrame) + width(FilesFoldersFrame) + 9, kKeep, width(FilesFoldersFrame),
        height(FilesFoldersFrame));
  place(FileSizeFrame, kKeep, y(FilesFoldersFrame) + height(FilesFoldersFrame) + 1, width(FilesFoldersFrame),
        height(FilesFoldersFrame));
  place(FileTypesFrame, x(AlgorithmFrame), y(FileSizeFrame), width(FileSizeFrame), height(FileSizeFrame));

  const int left = (x(FilesFoldersFrame) + width(FilesFoldersFrame)) / 2 - 100;
  const int top = (y(FilesFoldersFrame) + height(FilesFoldersFrame)) / 2 - 37;
  const int shift = width(FilesFoldersFrame) + 9;
  const int drop = height(FilesFoldersFrame) - 15;

  place(SubdirsCheckBox, left, top);
  place(HiddenCheckBox, left, top + 25);
  place(SystemCheckBox, left, top + 50);
  place(Md5CheckBox, left + shift, top);
  place(Sha1CheckBox, left + shift, top + 25);
  place(Crc32CheckBox, left + shift, top + 50);
  place(SizeAnyOption, left, top + drop);
  place(SizeIncludeOption, left, top + drop + 25);
  place(SizeExcludeOption, left, top + drop + 50);

  place(MinimumLabel, left + 20, top + drop + 80);
  place(MinSizeField, x(MinimumLabel) + 60, y(MinimumLabel) - 2);
  place(MinimumUnitLabel, x(MinSizeField) + width(MinSizeField) + 5, y(MinimumLabel));
  place(MaximumLabel, x(MinimumLabel), top + drop + 105);
  place(MaxSizeField, x(MaximumLabel) + 60, y(MaximumLabel) - 2);
  place(MaximumUnitLabel, x(MaxSizeField) + width(MaxSizeField) + 5, y(MaximumLabel));

  place(ExtensionAnyOption, x(Md5CheckBox), y(SizeAnyOption));
  place(ExtensionIncludeOption, x(Md5CheckBox), y(SizeIncludeOption));
  place(ExtensionExcludeOption, x(Md5CheckBox), y(SizeExcludeOption));
  place(ExtensionsLabel, x(Md5CheckBox) + 20, y(MinSizeField) + 2);
  place(ExtensionsField, x(ExtensionsLabel) + 90, y(MinSizeField));

  place(ResultsList, x(LocationsList), y(LocationsList), width(LocationsList), height(LocationsList) - 28);
  const int w5 = width(ResultsList) / 5;
  place(SelectAllButton, kKeep, y(ResultsList) + height(ResultsList) + 3, w5);
  int previous = SelectAllButton;
  for (int button : {SelectDuplicatesButton, ReverseSelectionButton, InvertSelectionButton, ClearResultsButton}) {
    place(button, x(previous) + w5 + 1, y(SelectAllButton), w5);
    previous = button;
  }
  place(DeleteButton, x(SelectAllButton), y(SelectAllButton) + height(SelectAllButton) + 2, w5);
  previous = DeleteButton;
  for (int button : {CopyButton, MoveButton, ExportButton, ImportButton}) {
    place(button, x(previous) + w5 + 1, y(DeleteButton), w5);
    previous = button;
  }

  place(WebsiteLink, W / 2 - 52, y(MainPanel) + height(MainPanel), 100, 34);
}

}  // namespace zandrel
