#pragma once
// Switching the user-interface language.

#include <string>

namespace zandrel {

// Fills gUiText for gLanguage and, once the main window exists, gives it a
// fresh menu and re-captions every control, column title and tooltip.
void applyLanguage();

// One item of the Language submenu.
void addLanguageMenuItem(int item, const std::string& caption);

}  // namespace zandrel
