#include "app/language_switch.h"

#include "app/main_window.h"
#include "config/languages.h"
#include "ui/ui.h"
#include "ui/ui_objects.h"

namespace zandrel {

void applyLanguage() {
  loadLanguageTexts();
  if (ui::menuExists(AddPopupMenu)) buildAddPopupMenu();
  if (!ui::menuExists(MainMenu)) return;  // before the window exists: texts only
  buildMainMenu();
  captionMainWindow();
}

void addLanguageMenuItem(int item, const std::string& caption) { ui::menuItem(item, caption); }

}  // namespace zandrel
