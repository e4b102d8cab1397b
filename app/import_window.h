#pragma once

#include <string>

namespace zandrel {

// Opens ImportWindow as both results imports show it while they read: a
// small tool window centred on MainWindow with a frame and "Importing" in
// ImportFont (loaded the first time). False when it cannot be opened.
bool openImportWindow();

// The box of a refused results file: "Couldn't import file" with the path in
// double quotes. Nothing for a path of blanks alone.
void showImportRefused(const std::string& path);

}  // namespace zandrel
