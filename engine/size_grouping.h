#pragma once
// The size pass and the size grouping: two worker steps between the filters
// and the hash passes. Neither advances gSearchProgress.

namespace zandrel {

// Turns each readable regular file of gPathList into a FileEntry with its
// size, identity and modification time, then sorts gFileEntries by size
// (stable). Missing paths, folders and special files (pipes, devices,
// sockets) are skipped.
void collectFileSizes();

// Leaves one entry per file, however many paths lead to it (a path listed
// twice, a link, a hard link), and of those only sizes that occur at least
// twice, in path order (by UTF-16 code units). Of a file's paths the one that
// is not itself a link stays, among those the first in path order. Fills
// gSizeCounts.
void groupBySize();

}  // namespace zandrel
