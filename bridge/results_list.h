#pragma once
// Rows of ResultsList as the program reads and writes them: six cells each,
// in column order, bytes as they are.

#include <string>
#include <vector>

#include "engine/search_state.h"
#include "ui/ui_objects.h"

namespace zandrel {

// Cells per row: one per ResultsColumn.
inline constexpr int kResultsColumnCount = Crc32Column + 1;

// The six cells of one row.
std::vector<std::string> resultRowCells(int row);

// Appends an unchecked row. The cells go in one by one, since a file name may
// itself hold a line feed, where a row's text would be split.
void appendResultRow(const std::vector<std::string>& cells);

// What the program's own search saw of the file of each row it listed, by
// the row's Filename text (a search lists each name once), so the record
// follows its row through any new order. Rows that came from elsewhere (an
// import, a drop) have none; a new search or an import forgets the old ones.
void recordSearchedFile(const std::string& path, const FileStamp& stamp);
// The record of the row that names this file; nothing for a row without one.
std::optional<FileStamp> searchedFileStamp(const std::string& path);
void forgetSearchedFiles();

}  // namespace zandrel
