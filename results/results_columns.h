#pragma once
// The columns of ResultsList, one entry each. The main window builds the
// columns and captions them again after a language switch from this table,
// the sort registers each column's kind from it, and the importers refuse a
// cell longer than its column ever holds.

#include <climits>
#include <cstddef>
#include <cstdint>
#include <iterator>

#include "bridge/results_list.h"
#include "bridge/ui_strings.h"
#include "results/cell_order.h"
#include "ui/ui_objects.h"

namespace zandrel {

struct ResultsColumnSpec {
  ResultsColumn column;
  UiTextId title;
  // Width in pixels when the list is made: list width / widthDivisor +
  // widthExtra, or widthExtra alone when widthDivisor is 0.
  int widthDivisor;
  int widthExtra;
  int64_t sortType;  // kSortText or kSortSizeText
  // The longest text the program itself writes into the column. A file with
  // a longer cell was not written by an export, and its cells could take any
  // memory.
  size_t longestText;

  constexpr int widthFor(int listWidth) const {
    return widthDivisor == 0 ? widthExtra : listWidth / widthDivisor + widthExtra;
  }
};

// In column order. Groups sort as size texts: a plain number passes the size
// conversion unchanged, so they sort by their value.
inline constexpr ResultsColumnSpec kResultsColumns[] = {
    // 20 decimal digits hold any 64-bit group number.
    {GroupColumn, kTextGroup, 0, 60, kSortSizeText, 20},
    // The longest path the system opens, without its terminating NUL.
    {FilenameColumn, kTextFilename, 2, 0, kSortText, PATH_MAX - 1},
    // "-9223372036854775808 Byte", the longest text of a byte count.
    {SizeColumn, kTextSize, 7, 20, kSortSizeText, 25},
    {Md5Column, kTextMd5, 7, 0, kSortText, 32},
    {Sha1Column, kTextSha1, 7, 0, kSortText, 40},
    {Crc32Column, kTextCrc32, 7, 0, kSortText, 8},
};

static_assert(std::size(kResultsColumns) == kResultsColumnCount);
static_assert([] {
  for (size_t i = 0; i < std::size(kResultsColumns); ++i) {
    if (kResultsColumns[i].column != static_cast<int>(i)) return false;
  }
  return true;
}());

inline constexpr size_t longestCellText(size_t column) { return kResultsColumns[column].longestText; }

}  // namespace zandrel
