#pragma once

namespace zandrel {

// Opens ImportWindow as both results imports show it while they read: a
// small tool window centred on MainWindow with a frame and "Importing" in
// ImportFont (loaded the first time). False when it cannot be opened.
bool openImportWindow();

}  // namespace zandrel
