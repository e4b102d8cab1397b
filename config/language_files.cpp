#include "config/language_files.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "config/languages.h"
#include "config/program_folder.h"
#include "engine/shared_helpers.h"
#include "engine/text_order.h"

namespace zandrel {

bool isLanguageFileName(const std::string& name) {
  return name.size() > 4 && name.compare(name.size() - 4, 4, ".lng") == 0;
}

void scanLanguageFiles() { scanLanguageFiles(gProgramFolder); }

void scanLanguageFiles(const std::string& folder) {
  gLanguageFiles.clear();
  const std::string prefix = addTrailingSeparator(folder);
  DIR* listing = opendir(prefix.c_str());
  if (listing == nullptr) return;
  while (const dirent* entry = readdir(listing)) {
    const std::string name = entry->d_name;
    if (!isLanguageFileName(name)) continue;
    struct stat status;
    // A link to a language file counts; a folder named like one does not.
    if (stat((prefix + name).c_str(), &status) != 0 || !S_ISREG(status.st_mode)) continue;
    gLanguageFiles.push_back(name.substr(0, name.size() - 4));
  }
  closedir(listing);
  std::stable_sort(gLanguageFiles.begin(), gLanguageFiles.end(), utf16Less);
}

}  // namespace zandrel
