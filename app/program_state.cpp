#include "app/program_state.h"

#include "engine/hash_passes.h"
#include "ui/ui.h"

namespace zandrel {

const std::string gWindowTitle = "Zandrel v2.0.2";
const std::string gVersion = "2.0.2";
std::string gWebHost = "zandrel.net";
const std::string gFontName = ui::kInterfaceFace;

std::string gStarEscape;
std::string gNewlineEscape;
std::unordered_map<std::string, int64_t> gGroupSeen;
std::string lastFolderPath;
std::string lastExportPath;
uint32_t sizeFieldDefaultColour = 0xFFFFFF;

void computeEscapeTokens() {
  const std::string star("\x2A\x00", 2);
  const std::string md5 = fingerprintBytes(star, HashKind::Md5);
  const std::string sha1 = fingerprintBytes(star, HashKind::Sha1);
  gStarEscape = sha1 + md5;
  gNewlineEscape = md5 + sha1;
}

}  // namespace zandrel
