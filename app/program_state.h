#pragma once
// Program-wide values set once at start-up, and the main window's own state.

#include <cstdint>
#include <string>
#include <unordered_map>

namespace zandrel {

extern const std::string gWindowTitle;  // "Zandrel v2.0.2"
extern const std::string gVersion;      // "2.0.2"
extern std::string gWebHost;            // bare host name of the maker's site, port optional
extern const std::string gFontName;     // face of the default and bold fonts

// Escape tokens of "*" and line feeds in the packed results file.
extern std::string gStarEscape;
extern std::string gNewlineEscape;
// Sets both from the digests of "*" as one UTF-16LE code unit.
void computeEscapeTokens();

// Group texts already met by Select duplicates.
extern std::unordered_map<std::string, int64_t> gGroupSeen;

// The folder the Add folder dialog returned last.
extern std::string lastFolderPath;
// The file name the last export chose: the next export dialog offers it.
extern std::string lastExportPath;
// MinSizeField's own background, to undo the red of a refused size rule.
extern uint32_t sizeFieldDefaultColour;

}  // namespace zandrel
