#include "app/results_export_csv.h"

#include <string>

#include "app/program_state.h"
#include "bridge/messages.h"
#include "bridge/ui_strings.h"
#include "results/csv_format.h"
#include "results/csv_results.h"
#include "ui/ui.h"
#include "ui/ui_objects.h"

namespace zandrel {

void exportCsvResults() {
  if (ui::rowCount(ResultsList) == 0) return;
  const std::string chosen = ui::saveFileDialog(gUiText[kTextSaveFileAs], lastExportPath, kCsvFilter);
  if (chosen.empty()) return;
  lastExportPath = withCsvExtension(chosen);
  bool written = false;
  {
    const ui::BusyCursor busy(MainWindow);
    written = writeCsvResults(lastExportPath);
  }
  if (!written) showErrorMessage(gUiText[kTextCouldNotSaveFile]);
}

}  // namespace zandrel
