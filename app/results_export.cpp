#include "app/results_export.h"

#include <string>

#include "app/program_state.h"
#include "app/ui_objects.h"
#include "config/ui_strings.h"
#include "engine/results_list.h"
#include "results/packed_results.h"
#include "ui/ui.h"

namespace zandrel {

void exportResults() {
  const int count = ui::rowCount(ResultsList);
  if (count == 0) return;
  const std::string chosen = ui::saveFileDialog(gUiText[81], lastExportPath, gUiText[8] + " (*.*)|*.*");
  if (chosen.empty()) return;
  lastExportPath = chosen;

  ResultsRows rows;
  rows.reserve(static_cast<size_t>(count));
  for (int row = 0; row < count; ++row) rows.push_back(resultRowCells(row));
  writePackedResultsFile(chosen, packResultsFile(buildPackedText(rows, gStarEscape, gNewlineEscape)));
}

}  // namespace zandrel
