#include "app/program_state.h"

namespace zandrel {

const std::string gWindowTitle = "Zandrel v2.0.2";
const std::string gVersion = "2.0.2";
std::string gWebHost = "zandrel.net";
const std::string gFontName = "Tahoma";

std::string gStarEscape;
std::string gNewlineEscape;
std::unordered_map<std::string, int64_t> gGroupSeen;
std::string lastFolderPath;
std::string lastExportPath;
uint32_t sizeFieldDefaultColour = 0xFFFFFF;

}  // namespace zandrel
