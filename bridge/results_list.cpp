#include "bridge/results_list.h"

#include "ui/ui.h"
#include "ui/ui_objects.h"

namespace zandrel {

std::vector<std::string> resultRowCells(int row) {
  std::vector<std::string> cells;
  cells.reserve(kResultsColumnCount);
  for (int column = 0; column < kResultsColumnCount; ++column) cells.push_back(ui::rowText(ResultsList, row, column));
  return cells;
}

void appendResultRow(const std::vector<std::string>& cells) {
  const int row = ui::rowCount(ResultsList);
  ui::addRow(ResultsList, -1, "");
  for (size_t column = 0; column < cells.size() && column < kResultsColumnCount; ++column) {
    ui::setRowText(ResultsList, row, static_cast<int>(column), cells[column]);
  }
}

}  // namespace zandrel
