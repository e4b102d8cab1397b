#pragma once
// The rows of ResultsList as the export and import commands read and write
// them: six cells a row, in column order, bytes as the list shows them.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace zandrel {

using RowCells = std::vector<std::string>;

// Gives every row of ResultsList to take, in list order and as shown, with
// its position from 0.
void forEachShownRow(const std::function<void(size_t row, const RowCells& cells)>& take);

// Takes one row for ResultsList.
using RowSink = std::function<void(const RowCells& cells)>;

// Replaces the rows of ResultsList with those giveRows hands to the sink it
// is called with, in order, all unchecked. The old rows go first, so a source
// that gives nothing leaves the list empty.
void replaceResultRows(const std::function<void(const RowSink& add)>& giveRows);

}  // namespace zandrel
