#pragma once
// The progress window that a search and the file actions show over the main
// window while their workers run. GUI thread only.

#include <string>

namespace zandrel {

// Opens ProgressWindow with its frame and ProgressBar; a search's window also
// gets a minimize box and the Pause and Stop buttons below the bar. False when
// the window does not open.
bool openProgressWindow(const std::string& title, bool withSearchButtons);

}  // namespace zandrel
