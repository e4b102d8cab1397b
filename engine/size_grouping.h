#pragma once
// The size pass and the size grouping: two worker steps between the filters
// and the hash passes. Neither advances gSearchProgress.

namespace zandrel {

// Turns each readable regular file of gPathList into a FileEntry with its
// size, then sorts gFileEntries by size (stable). Missing paths, folders and
// special files (pipes, devices, sockets) are skipped.
void collectFileSizes();

// Leaves one entry per distinct path and only sizes that occur at least twice,
// in path order (by UTF-16 code units). Fills gSizeCounts.
void groupBySize();

}  // namespace zandrel
