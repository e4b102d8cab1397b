#pragma once

#include <string>

namespace zandrel {

// Notes which signals are ignored and which blocked, for the programs the
// program starts to get back. Called first thing at start-up, before the
// program or its toolkit changes either.
void noteStartSignals();

// Hands the address to the desktop's browser through "xdg-open", without
// waiting and without reporting a failure. The browser gets the signal
// handling noted at start-up, not the program's own.
void openWebAddress(const std::string& address);

}  // namespace zandrel
