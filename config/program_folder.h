#pragma once
// Where the program keeps its own files: the folder that holds the executable.

#include <string>

namespace zandrel {

// The program's folder with a trailing "/"; set once at start-up.
extern std::string gProgramFolder;
// "settings.ini" in the program's folder.
extern std::string gSettingsPath;

}  // namespace zandrel
