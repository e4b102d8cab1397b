#include "app/results_export.h"

#include <new>
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

  bool written = false;
  // A list too long for the memory there is fails like a file that cannot be
  // written: the temporary file goes with the replacement, the old file stays.
  try {
    // A place that takes no file is known before the packing, which holds the
    // window for seconds on a long list.
    FileReplacement file;
    if (file.prepare(chosen)) {
      const ui::BusyCursor busy(MainWindow);
      std::string text;
      forEachShownRow([&text](size_t row, const RowCells& cells) {
        appendPackedRow(text, row, cells, gStarEscape, gNewlineEscape);
      });
      const std::string bytes = packResultsFile(text);
      // A failed packing (no memory for the packer, or a text the import would
      // refuse) leaves only the frame, which no import takes back.
      written = bytes.size() > kPackedFrameSize && file.commit(bytes);
    }
  } catch (const std::bad_alloc&) {
    written = false;
  }
  if (!written) showErrorMessage(gUiText[kTextCouldNotSaveFile]);
}

void exportCsvResults() {
  if (ui::rowCount(ResultsList) == 0) return;
  const std::string chosen = ui::saveFileDialog(gUiText[kTextSaveFileAs], lastExportPath, kCsvFilter);
  if (chosen.empty()) return;
  lastExportPath = withCsvExtension(chosen);
  bool written = false;
  // The file is made only once the whole text is there, so a list too long
  // for the memory there is leaves nothing beside the old file.
  try {
    const ui::BusyCursor busy(MainWindow);
    std::string text = csvHeaderLine();
    forEachShownRow([&text](size_t, const RowCells& cells) { text += csvLine(cells); });
    written = replaceFile(lastExportPath, text);
  } catch (const std::bad_alloc&) {
    written = false;
  }
  if (!written) showErrorMessage(gUiText[kTextCouldNotSaveFile]);
}

}  // namespace zandrel
