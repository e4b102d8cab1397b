#pragma once
// Sorting a list by one of its columns after a click on the column's title:
// the first click sorts descending and shows a down arrow, the next one
// ascending with an up arrow, and so on; a click on another column takes the
// arrow off the previous one and starts again with descending.

#include <cstdint>
#include <vector>

#include "results/cell_order.h"

namespace zandrel {

// One sortable column of a list.
struct SortColumn {
  int64_t gadget = 0;               // the list's object number
  int64_t column = 0;               // from 0
  int64_t sortType = kSortText;     // kSortText or kSortSizeText
  int64_t direction = kSortAscending;  // the last direction used
};

// Entry 0 is the fallback, overwritten for each sort of a column that was
// never registered; registered columns are entries 1 to sortColumnCount().
extern std::vector<SortColumn> gSortColumns;
int64_t sortColumnCount();

// Adds an entry for the column; an earlier one for it is not looked for (the
// first one found is used).
void registerSortColumn(int64_t gadget, int64_t column, int64_t sortType);
// Registers every column of ResultsList with its sort kind, in column order.
void registerResultsColumns();

// Sorts the rows of the list by the column in that direction, with the
// column's registered sort type (text when it has none). Rows that compare
// as equal keep their order. Returns 0.
int sortListByColumn(int gadget, int column, int64_t direction);

// A click on a column title: moves the arrows and sorts. Does nothing while a
// command's progress or import window is open: those commands address the
// rows by their positions.
void sortByColumnClick(int list, int column);

}  // namespace zandrel
