#include "app/import_window.h"

#include "bridge/messages.h"
#include "bridge/ui_strings.h"
#include "engine/shared_helpers.h"
#include "ui/ui.h"
#include "ui/ui_objects.h"

namespace zandrel {

bool openImportWindow() {
  ui::WindowStyle style;
  style.minimizeBox = false;
  style.toolWindow = true;
  if (!ui::openWindow(ImportWindow, 220, 135, "", style, MainWindow)) return false;
  if (!ui::fontExists(ImportFont)) ui::loadFont(ImportFont, "Courier New", 12);
  ui::frameGadget(ImportFrame, 5, 0, 209, 130, "");
  ui::textGadget(ImportStatusText, 10, 55, 200, 25, gUiText[kTextImporting], true);
  ui::setGadgetFont(ImportStatusText, ImportFont);
  return true;
}

void showImportRefused(const std::string& path) {
  if (trimBlanks(path).empty()) return;
  showErrorMessage(replaceAll(gUiText[kTextCouldNotImport], "*", "\"" + ui::displayName(path) + "\""));
}

}  // namespace zandrel
