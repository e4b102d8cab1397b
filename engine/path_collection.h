#pragma once
// First step of a search: turns the location rows into gPathList.
// Runs in a worker thread; reads gSearchSubdirs.

#include <string>
#include <vector>

namespace zandrel {

// Empties gPathList and gFileEntries, then walks each row that names a folder
// (every level when gSearchSubdirs is 1) and takes each row that names a
// readable file as it stands. Rows that name neither are skipped.
void collectSearchPaths(const std::vector<std::string>& locationRows);

// Appends every file below the folder, depth first, in listing order.
// Symbolic links count as files and are never walked into.
void scanFolderRecursive(const std::string& folderPath, int level);

// Appends the files directly inside the folder.
void scanFolderFlat(const std::string& folderPath);

}  // namespace zandrel
