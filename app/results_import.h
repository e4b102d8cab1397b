#pragma once
// Loading a results file back into ResultsList: the Import button, the Import
// drop-down's "CSV" and files dropped on the list.

#include <cstddef>
#include <string>

#include "results/packed_results.h"

namespace zandrel {

// The most rows either import puts into ResultsList. Each row costs the list
// some hundred bytes however short its cells, so a file of more (a CSV file of
// a million empty lines makes as many rows) is refused before the list is
// touched, instead of taking all memory.
inline constexpr size_t kMostImportedRows = 1'000'000;

// The cells the parser found, six a row, in file order. Written only by the
// parser thread and read by the GUI thread once it has ended; empty between
// imports.
extern ImportCells gImportRows;

// Asks for the file when path is empty (a cancelled dialog does nothing),
// hands a file whose first line holds the CSV header to the CSV import,
// refuses a file that does not open, is damaged, holds more than
// kMostImportedRows rows or needs more memory than there is with "Couldn't
// import file" and its quoted path, parses the text behind ImportWindow and
// replaces the rows of ResultsList with what it holds, when it holds any. A
// close request of any window while it parses ends the import and leaves the
// list as it was.
void importResults(const std::string& path);

// A drop on ResultsList: only the first dropped path counts, and goes to
// importResults, so a path that cannot be read gets its error box.
void importDroppedResults(const std::string& droppedText);

// Replaces the rows of ResultsList with the records of a CSV file, all
// unchecked; the first line is skipped whatever it holds. An empty path asks
// for the file. A cancelled dialog or a path that is not a readable regular
// file changes nothing and shows nothing; a file with a cell longer than its
// column ever holds, with more than kMostImportedRows rows (an empty line is
// a row of empty cells), or needing more memory than there is, is refused
// with "Couldn't import file" and changes nothing either. While it reads,
// ImportWindow is shown and one pending window event is dropped per record:
// the import cannot be stopped.
void importCsvResults(const std::string& path);

}  // namespace zandrel
