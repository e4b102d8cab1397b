#pragma once
// Language files: "*.lng" files in the program's folder, offered in the
// Language menu by their names without ".lng".

#include <string>

namespace zandrel {

// True for a name whose extension is exactly "lng" with at least one character before the dot.
bool isLanguageFileName(const std::string& name);

// Fills gLanguageFiles from the folder (the program's folder by default):
// the files only, without ".lng", sorted by UTF-16 code units.
void scanLanguageFiles();
void scanLanguageFiles(const std::string& folder);

}  // namespace zandrel
