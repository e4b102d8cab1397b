#include "app/results_export.h"

#include <string>

#include "app/program_state.h"
#include "engine/file_replace.h"
#include "bridge/messages.h"
#include "bridge/results_list.h"
#include "bridge/ui_strings.h"
#include "results/packed_results.h"
#include "ui/ui.h"
#include "ui/ui_objects.h"

namespace zandrel {

void exportResults() {
  const int count = ui::rowCount(ResultsList);
  if (count == 0) return;
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
    for (int row = 0; row < count; ++row) {
      appendPackedRow(text, static_cast<size_t>(row), resultRowCells(row), gStarEscape, gNewlineEscape);
    }
    written = file.commit(packResultsFile(text));
  }
  if (!written) showErrorMessage(gUiText[kTextCouldNotSaveFile]);
}

}  // namespace zandrel
