#pragma once

#include <string>

namespace zandrel {

// Hands the address to the desktop's browser through "xdg-open", without
// waiting and without reporting a failure.
void openWebAddress(const std::string& address);

}  // namespace zandrel
