#include "results/csv_results.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "app/ui_objects.h"
#include "config/ui_strings.h"
#include "engine/unique_fd.h"
#include "results/csv_format.h"
#include "results/import_window.h"
#include "ui/ui.h"

namespace zandrel {
namespace {

constexpr size_t kLinesPerTurn = 256;

struct CloseFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Named pipes, devices and folders would never end or never start.
UniqueFd openRegularFile(const std::string& path) {
  UniqueFd file = openForReading(path);
  struct stat info {};
  if (file.valid() && (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))) file.reset();
  return file;
}

void addResultRow(const std::vector<std::string>& cells) {
  const int row = ui::rowCount(ResultsList);
  // Texts set one by one: a cell may hold a line feed, which addRow would split at.
  ui::addRow(ResultsList, -1, "");
  for (size_t column = 0; column < cells.size(); ++column) {
    ui::setRowText(ResultsList, row, static_cast<int>(column), cells[column]);
  }
}

}  // namespace

bool writeCsvResults(const std::string& path) {
  const std::unique_ptr<std::FILE, CloseFile> file(std::fopen(path.c_str(), "wb"));
  if (file == nullptr) return false;
  const std::string header = std::string(kCsvHeader) + "\r\n";
  bool written = std::fwrite(header.data(), 1, header.size(), file.get()) == header.size();
  const int rows = ui::rowCount(ResultsList);
  std::vector<std::string> cells(kCsvCells);
  for (int row = 0; row < rows && written; ++row) {
    for (size_t column = 0; column < kCsvCells; ++column) {
      cells[column] = ui::rowText(ResultsList, row, static_cast<int>(column));
    }
    const std::string line = csvLine(cells);
    written = std::fwrite(line.data(), 1, line.size(), file.get()) == line.size();
  }
  return std::fflush(file.get()) == 0 && written;
}

void importCsvResults(const std::string& given) {
  std::string path = given;
  if (path.empty()) {
    const std::vector<std::string> chosen = ui::openFileDialog(gUiText[62], "", kCsvFilter, false);
    if (chosen.empty()) return;
    path = chosen.front();
  }
  const UniqueFd file = openRegularFile(path);
  if (!file.valid()) return;

  ui::clearRows(ResultsList);
  const bool windowOpen = openImportWindow();
  CsvReader reader(file.get());
  reader.skipLine();
  std::vector<std::string> cells;
  for (size_t line = 0; !reader.atEnd(); ++line) {
    // One event goes with each line, close requests too. The toolkit gets its
    // turn only every so many lines: each turn redraws the growing list.
    if (line % kLinesPerTurn == 0) {
      ui::pollEvent();
    } else {
      ui::takeQueuedEvent();
    }
    reader.next(cells);
    addResultRow(cells);
  }
  if (windowOpen) ui::closeWindow(ImportWindow);
}

}  // namespace zandrel
