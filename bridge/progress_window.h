#pragma once
// The progress window that a search and the file actions show over the main
// window while their workers run. GUI thread only.

#include <string>

namespace zandrel {

// Opens ProgressWindow with its frame and ProgressBar, a window of fixed size
// with a minimize box but no maximize box; a search's window also gets the
// Pause and Stop buttons below the bar. False when the window does not open.
bool openProgressWindow(const std::string& title, bool withSearchButtons);

}  // namespace zandrel
