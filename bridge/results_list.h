#pragma once
// Rows of ResultsList as the program reads and writes them: six cells each,
// in column order, bytes as they are.

#include <string>
#include <vector>

#include "ui/ui_objects.h"

namespace zandrel {

// Cells per row: one per ResultsColumn.
inline constexpr int kResultsColumnCount = Crc32Column + 1;

// The six cells of one row.
std::vector<std::string> resultRowCells(int row);

// Appends an unchecked row. The cells go in one by one, since a file name may
// itself hold a line feed, where a row's text would be split.
void appendResultRow(const std::vector<std::string>& cells);

}  // namespace zandrel
