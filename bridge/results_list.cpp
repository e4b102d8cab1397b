#include "bridge/results_list.h"

#include <unordered_map>

#include "ui/ui.h"
#include "ui/ui_objects.h"

namespace zandrel {
namespace {
std::unordered_map<std::string, FileStamp> gSearchedFiles;
}

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

void recordSearchedFile(const std::string& path, const FileStamp& stamp) { gSearchedFiles[path] = stamp; }

std::optional<FileStamp> searchedFileStamp(const std::string& path) {
  const auto found = gSearchedFiles.find(path);
  if (found == gSearchedFiles.end()) return std::nullopt;
  return found->second;
}

void forgetSearchedFiles() { decltype(gSearchedFiles)().swap(gSearchedFiles); }

}  // namespace zandrel
