#include "results/column_sorting.h"

#include <algorithm>
#include <numeric>
#include <string>

#include "engine/shared_helpers.h"
#include "engine/text_order.h"
#include "results/results_columns.h"
#include "ui/ui.h"
#include "ui/ui_objects.h"

namespace zandrel {

std::vector<SortColumn> gSortColumns(1);

int64_t sortColumnCount() { return static_cast<int64_t>(gSortColumns.size()) - 1; }

void registerSortColumn(int64_t gadget, int64_t column, int64_t sortType) {
  gSortColumns.push_back(SortColumn{gadget, column, sortType, kSortAscending});
}

void registerResultsColumns() {
  for (const ResultsColumnSpec& spec : kResultsColumns) registerSortColumn(ResultsList, spec.column, spec.sortType);
}

namespace {

// The cells are read once: a comparison per pair would fetch and copy both
// cells (and parse sizes) again each time.
std::vector<int> sortedRowOrder(const SortColumn& entry) {
  const int list = static_cast<int>(entry.gadget);
  const int column = static_cast<int>(entry.column);
  const int rows = ui::rowCount(list);
  std::vector<int> order(static_cast<size_t>(rows));
  std::iota(order.begin(), order.end(), 0);
  const bool ascending = entry.direction == kSortAscending;
  if (entry.sortType == kSortSizeText) {
    std::vector<int64_t> keys(order.size());
    for (int row = 0; row < rows; ++row) {
      keys[static_cast<size_t>(row)] = parseSignedInteger(parseSizeText(ui::rowText(list, row, column)));
    }
    std::stable_sort(order.begin(), order.end(), [&keys, ascending](int a, int b) {
      const int64_t first = keys[static_cast<size_t>(a)];
      const int64_t second = keys[static_cast<size_t>(b)];
      return ascending ? first < second : second < first;
    });
    return order;
  }
  std::vector<std::string> texts(order.size());
  for (int row = 0; row < rows; ++row) texts[static_cast<size_t>(row)] = ui::rowText(list, row, column);
  std::stable_sort(order.begin(), order.end(), [&texts, ascending](int a, int b) {
    const std::string& first = texts[static_cast<size_t>(a)];
    const std::string& second = texts[static_cast<size_t>(b)];
    return ascending ? compareUtf16(first, second) < 0 : compareUtf16(second, first) < 0;
  });
  return order;
}

}  // namespace

int sortListByColumn(int gadget, int column, int64_t direction) {
  SortColumn* entry = nullptr;
  for (int64_t i = 1; i <= sortColumnCount() && entry == nullptr; ++i) {
    SortColumn& candidate = gSortColumns[static_cast<size_t>(i)];
    if (candidate.gadget == gadget && candidate.column == column) entry = &candidate;
  }
  if (entry == nullptr) {
    gSortColumns[0] = SortColumn{gadget, column, kSortText, direction};
    entry = &gSortColumns[0];
  }
  entry->direction = direction;
  // No input reaches the list while its rows move.
  ui::disableGadget(gadget, true);
  {
    const ui::BusyCursor busy(MainWindow);
    ui::reorderRows(gadget, sortedRowOrder(*entry));
  }
  ui::disableGadget(gadget, false);
  // The current row moved with its row; set again, it comes into view.
  ui::setCurrentRow(gadget, ui::currentRow(gadget));
  return 0;
}

void sortByColumnClick(int list, int column) {
  if (ui::windowExists(ProgressWindow) || ui::windowExists(ImportWindow)) return;
  const int count = ui::columnCount(list);
  for (int other = 0; other < count; ++other) {
    if (other != column) ui::setColumnSortArrow(list, other, ui::SortArrow::None);
  }
  const bool wasDown = ui::columnSortArrow(list, column) == ui::SortArrow::Down;
  ui::setColumnSortArrow(list, column, wasDown ? ui::SortArrow::Up : ui::SortArrow::Down);
  sortListByColumn(list, column, wasDown ? kSortAscending : kSortDescending);
}

}  // namespace zandrel
