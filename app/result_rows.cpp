#include "app/result_rows.h"

#include "bridge/results_list.h"
#include "ui/ui.h"
#include "ui/ui_objects.h"

namespace zandrel {

void forEachShownRow(const std::function<void(size_t row, const RowCells& cells)>& take) {
  const int count = ui::rowCount(ResultsList);
  for (int row = 0; row < count; ++row) take(static_cast<size_t>(row), resultRowCells(row));
}

void replaceResultRows(const std::function<void(const RowSink& add)>& giveRows) {
  ui::clearRows(ResultsList);
  forgetSearchedFiles();
  giveRows(appendResultRow);
}

}  // namespace zandrel
