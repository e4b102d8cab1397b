#pragma once

namespace zandrel {

// The whole program: start-up, the main window, shutdown. Returns the exit code.
int runMain();

// Frees the window layer and everything in it.
void shutdownRuntime();

}  // namespace zandrel
