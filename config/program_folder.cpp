#include "config/program_folder.h"

namespace zandrel {

std::string gProgramFolder;
std::string gSettingsPath;

}  // namespace zandrel
