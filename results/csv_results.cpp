#include "results/csv_results.h"

#include <vector>

#include "engine/file_replace.h"
#include "bridge/results_list.h"
#include "bridge/ui_strings.h"
#include "engine/unique_fd.h"
#include "results/csv_format.h"
#include "results/import_window.h"
#include "results/packed_results.h"
#include "ui/ui.h"
#include "ui/ui_objects.h"

namespace zandrel {
namespace {

constexpr size_t kLinesPerTurn = 256;

}  // namespace

bool writeCsvResults(const std::string& path) {
  std::string text = std::string(kCsvHeader) + "\r\n";
  const int rows = ui::rowCount(ResultsList);
  for (int row = 0; row < rows; ++row) text += csvLine(resultRowCells(row));
  return replaceFile(path, text);
}

void importCsvResults(const std::string& given) {
  std::string path = given;
  if (path.empty()) {
    const std::vector<std::string> chosen = ui::openFileDialog(gUiText[kTextOpenFile], "", kCsvFilter, false);
    if (chosen.empty()) return;
    path = chosen.front();
  }
  const UniqueFd file = openRegularFile(path);
  if (!file.valid()) return;

  const bool windowOpen = openImportWindow();
  // The whole file is read before the list changes: a file that turns out
  // not to be a results file leaves the list as it was.
  ImportCells records;
  CsvReader reader(file.get());
  reader.skipLine();
  std::vector<std::string> cells;
  bool fits = true;
  for (CsvReader::Record record = reader.next(cells); record != CsvReader::Record::End; record = reader.next(cells)) {
    if (record == CsvReader::Record::TooLong) {
      fits = false;
      break;
    }
    for (const std::string& cell : cells) records.push_back(cell);
  }
  if (fits) {
    ui::clearRows(ResultsList);
    for (size_t first = 0, line = 0; first < records.size(); first += kResultsColumnCount, ++line) {
      // One event goes with each line, close requests too. The toolkit gets its
      // turn only every so many lines: each turn redraws the growing list.
      if (line % kLinesPerTurn == 0) {
        ui::pollEvent();
      } else {
        ui::takeQueuedEvent();
      }
      for (size_t i = 0; i < kResultsColumnCount; ++i) cells[i] = records[first + i];
      appendResultRow(cells);
    }
  }
  if (windowOpen) ui::closeWindow(ImportWindow);
  if (!fits) showImportRefused(path);
}

}  // namespace zandrel
