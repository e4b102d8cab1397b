#include "app/results_import.h"

#include <atomic>
#include <new>
#include <optional>

#include "app/import_window.h"
#include "app/program_state.h"
#include "app/result_rows.h"
#include "bridge/results_list.h"
#include "bridge/ui_strings.h"
#include "bridge/worker_polling.h"
#include "engine/file_io.h"
#include "engine/unique_fd.h"
#include "results/csv_format.h"
#include "results/packed_results.h"
#include "ui/ui.h"
#include "ui/ui_objects.h"

namespace zandrel {

ImportCells gImportRows;

namespace {

// Set by a close request; the parser looks at it between its tokens.
std::atomic<bool> gImportStopRequested{false};
// Cleared by the parser when a cell is too long; read once it has ended.
bool gImportCellsFit = true;

// The first line is read no further than this when looking for the CSV header.
constexpr size_t kLongestFirstLine = size_t{1} << 20;

// Thread body: parses the packed text into gImportRows, stopping early once a
// close request asks it to, and at a cell too long for its column, which
// refuses the file.
void importParseWorker(const std::string* text) {
  try {
    gImportCellsFit = parseNativeImport(*text, gImportRows, &gImportStopRequested);
  } catch (const std::bad_alloc&) {
    // No exception leaves the thread: a file too large for the memory there is is refused.
    gImportRows.clear();
    gImportCellsFit = false;
  }
}

// Runs the parser behind ImportWindow until it ends or a close request of any
// window stops it; every other event is dropped.
// Stopped, it leaves no cells.
void parseBehindWindow(const std::string& text) {
  openImportWindow();
  gImportStopRequested = false;
  switch (runUntilCloseRequest([&text] { importParseWorker(&text); }, gImportStopRequested)) {
    case WorkerEnd::NotStarted:
      gImportCellsFit = false;  // without a thread the file is refused like one too large to parse
      break;
    case WorkerEnd::Stopped:
      gImportRows.clear();
      gImportCellsFit = true;  // stopped: nothing is said
      break;
    case WorkerEnd::Finished:
      break;
  }
  if (ui::windowExists(ImportWindow)) ui::closeWindow(ImportWindow);
}

// Replaces the rows of ResultsList with those of the cells, or leaves the list
// as it is and says false when a file name is too long or the rows are more
// than an import takes.
bool replaceWithImportedRows(const ImportCells& cells) {
  const auto ignore = [](const RowCells&) {};
  if (!forEachImportRow(cells, gStarEscape, gNewlineEscape, ignore, kMostImportedRows)) return false;
  replaceResultRows([&cells](const RowSink& add) {
    forEachImportRow(cells, gStarEscape, gNewlineEscape, add, kMostImportedRows);
  });
  return true;
}

// The CSV import lets the toolkit draw once per this many lines.
constexpr size_t kLinesPerTurn = 256;

// The file's first line (up to CR or LF); nothing when it is not a file that opens.
std::optional<std::string> firstLineOf(const std::string& path) {
  const UniqueFd file = openRegularFile(path);
  if (!file.valid()) return std::nullopt;
  std::string line;
  char buffer[4096];
  while (line.size() < kLongestFirstLine) {
    const ssize_t got = readSome(file.get(), buffer, sizeof buffer);
    if (got <= 0) break;
    const std::string_view chunk(buffer, static_cast<size_t>(got));
    const size_t end = chunk.find_first_of("\r\n");
    line.append(chunk.substr(0, end));
    if (end != std::string_view::npos) break;
  }
  return line;
}

// The records after the first line, six cells each; false for a file no
// export writes: a cell longer than its column, or more rows than an import
// takes. Both are found as the file is read, so memory grows no further.
bool readCsvRecords(int fd, ImportCells& records) {
  CsvReader reader(fd);
  reader.skipLine();
  RowCells cells;
  size_t rows = 0;
  for (CsvReader::Record record = reader.next(cells); record != CsvReader::Record::End; record = reader.next(cells)) {
    if (record == CsvReader::Record::TooLong || ++rows > kMostImportedRows) return false;
    for (const std::string& cell : cells) records.push_back(cell);
  }
  return true;
}

}  // namespace

void importResults(const std::string& given) {
  std::string path = given;
  if (path.empty()) {
    const std::vector<std::string> chosen =
        ui::openFileDialog(gUiText[kTextOpenFile], "", gUiText[kTextAllFiles] + " (*.*)|*.*", false);
    if (chosen.empty() || chosen.front().empty()) return;
    path = chosen.front();
  }
  const std::optional<std::string> firstLine = firstLineOf(path);
  if (firstLine && firstLine->find(kCsvHeader) != std::string::npos) {
    importCsvResults(path);
    return;
  }
  bool refused = true;
  try {
    std::optional<std::string> text = readPackedResultsFile(path);
    if (text) {
      gImportRows.clear();
      gImportCellsFit = true;
      parseBehindWindow(*text);
      text.reset();  // the cells hold all that is needed now
      refused = !gImportCellsFit || (!gImportRows.empty() && !replaceWithImportedRows(gImportRows));
    }
  } catch (const std::bad_alloc&) {
    // More than this machine has to spare: refused like a damaged file, the list as it was.
    if (ui::windowExists(ImportWindow)) ui::closeWindow(ImportWindow);
  }
  gImportRows.clear();
  if (refused) showImportRefused(path);
}

void importDroppedResults(const std::string& droppedText) {
  const std::string path = droppedText.substr(0, droppedText.find('\n'));
  // An empty path would open the dialog; importResults tells CSV files from packed ones.
  if (!path.empty()) importResults(path);
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
  bool fits = false;
  try {
    // The whole file is read before the list changes: a file that turns out
    // not to be a results file leaves the list as it was.
    ImportCells records;
    fits = readCsvRecords(file.get(), records);
    if (fits) {
      replaceResultRows([&records](const RowSink& add) {
        RowCells cells(kResultsColumnCount);
        for (size_t first = 0, line = 0; first < records.size(); first += kResultsColumnCount, ++line) {
          // One event goes with each line, close requests too. The toolkit gets its
          // turn only every so many lines: each turn redraws the growing list.
          if (line % kLinesPerTurn == 0) {
            ui::pollEvent();
          } else {
            ui::takeQueuedEvent();
          }
          for (size_t i = 0; i < kResultsColumnCount; ++i) cells[i] = records[first + i];
          add(cells);
        }
      });
    }
  } catch (const std::bad_alloc&) {
    fits = false;  // more than this machine has to spare: refused, and the records are given back
  }
  if (windowOpen) ui::closeWindow(ImportWindow);
  if (!fits) showImportRefused(path);
}

}  // namespace zandrel
