#pragma once

namespace zandrel {

// Shows AboutWindow over the main window until OK or any close request; every
// other event meanwhile is dropped. Always 0.
int showAboutWindow();

}  // namespace zandrel
