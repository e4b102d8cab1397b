#pragma once
// Delete, Move and Copy of the checked rows of ResultsList: one worker per
// file behind the progress window, the failures listed once at the end. A
// row's file is looked at again just before it is acted on: it must still be
// a regular file, and not the file of an unchecked row of its group under
// another name. A move takes no name that is in use, so two files of one name
// never meet in one folder; a copy replaces nothing but a regular file. A
// delete also wants the file to be still what its row says: a row of the
// program's own search names the very file the search compared, unchanged; any
// other row's file must hold the same bytes as a file of its group that
// stays, when one does. A row that fails this is listed like any other failure.

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace zandrel {

// Paths whose operation failed in the current command, in order. Written by
// the worker, read by the GUI thread only after the worker has ended.
extern std::vector<std::string> gFailedFiles;
// The file the current worker acts on, and where a move or copy puts it;
// written before the worker starts.
extern std::string gSourceFile;
extern std::string gTargetFile;
// 1 when the current delete or move succeeded.
extern std::atomic<int64_t> gOperationSucceeded;
// Files done by the current command, failures included.
extern std::atomic<int64_t> gDeleteProgress;
extern std::atomic<int64_t> gMoveProgress;
extern std::atomic<int64_t> gCopyProgress;
// Set by a close request: the running copy stops between two blocks and
// cleans up what it started.
extern std::atomic<bool> gFileActionStopRequested;

// Whether the two paths name regular files of equal size and equal bytes,
// read now, block by block. False as soon as stop is set.
bool holdsSameBytes(const std::string& a, const std::string& b, const std::atomic<bool>& stop);

void deleteFileWorker();
void moveFileWorker();
void copyFileWorker();

void deleteSelectedFiles();
void moveSelectedFiles();
void copySelectedFiles();

}  // namespace zandrel
