#include "app/results_export.h"

#include <string>

#include "app/program_state.h"
#include "app/result_rows.h"
#include "bridge/messages.h"
#include "bridge/ui_strings.h"
#include "engine/file_replace.h"
#include "results/csv_format.h"
#include "results/packed_results.h"
#include "ui/ui.h"
#include "ui/ui_objects.h"

namespace zandrel {

void exportResults() {
  if (ui::rowCount(ResultsList) == 0) return;
  const std::string chosen =
      ui::saveFileDialog(gUiText[kTextSaveFileAs], lastExportPath, gUiText[kTextAllFiles] + " (*.*)|*.*");
  if (chosen.empty()) return;
  lastExportPath = chosen;

  // A place that takes no file is known before the packing, which holds the
  // window for seconds on a long list.
  FileReplacement file;
  bool written = file.prepare(chosen);
  if (written) {
    const ui::BusyCursor busy(MainWindow);
    std::string text;
    forEachShownRow([&text](size_t row, const RowCells& cells) {
      appendPackedRow(text, row, cells, gStarEscape, gNewlineEscape);
    });
    written = file.commit(packResultsFile(text));
  }
  if (!written) showErrorMessage(gUiText[kTextCouldNotSaveFile]);
}

void exportCsvResults() {
  if (ui::rowCount(ResultsList) == 0) return;
  const std::string chosen = ui::saveFileDialog(gUiText[kTextSaveFileAs], lastExportPath, kCsvFilter);
  if (chosen.empty()) return;
  lastExportPath = withCsvExtension(chosen);
  bool written = false;
  {
    const ui::BusyCursor busy(MainWindow);
    std::string text = csvHeaderLine();
    forEachShownRow([&text](size_t, const RowCells& cells) { text += csvLine(cells); });
    written = replaceFile(lastExportPath, text);
  }
  if (!written) showErrorMessage(gUiText[kTextCouldNotSaveFile]);
}

}  // namespace zandrel
