#pragma once

namespace zandrel {

// Places every control of MainWindow from its current inner size: the panel,
// the lists and the button rows grow with the window, the option block stays
// centred. Running it twice at one size changes nothing.
void layoutMainWindow();

}  // namespace zandrel
