#include "results/column_sorting.h"

#include <algorithm>
#include <numeric>

#include "ui/ui.h"
#include "ui/ui_objects.h"

namespace zandrel {

std::vector<SortColumn> gSortColumns(1);
int64_t gSortColumnCount = 0;

void registerSortColumn(int64_t gadget, int64_t column, int64_t sortType) {
  ++gSortColumnCount;
  gSortColumns.push_back(SortColumn{gadget, column, sortType, kSortAscending});
}

int compareListRows(int rowA, int rowB, const SortColumn& entry) {
  const int list = static_cast<int>(entry.gadget);
  const int column = static_cast<int>(entry.column);
  return compareCellTexts(ui::rowText(list, rowA, column), ui::rowText(list, rowB, column), entry.sortType,
                          entry.direction);
}

int sortListByColumn(int gadget, int column, int64_t direction) {
  SortColumn* entry = nullptr;
  for (int64_t i = 1; i <= gSortColumnCount && entry == nullptr; ++i) {
    SortColumn& candidate = gSortColumns[static_cast<size_t>(i)];
    if (candidate.gadget == gadget && candidate.column == column) entry = &candidate;
  }
  if (entry == nullptr) {
    gSortColumns[0] = SortColumn{gadget, column, kSortText, direction};
    entry = &gSortColumns[0];
  }
  entry->direction = direction;
  std::vector<int> order(static_cast<size_t>(ui::rowCount(gadget)));
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [entry](int a, int b) { return compareListRows(a, b, *entry) < 0; });
  ui::reorderRows(gadget, order);
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
