// Times the packed export and measures the packed import's memory:
//   zandrel_results_bench export [--rows N]
//   zandrel_results_bench import --file PATH [--rows N]
// export builds and packs N rows (74,000 unless given) as the Export button
// does, without the window. import reads PATH as the Import button's reader
// does, first writing it with N rows (3,000,000 unless given) when it is
// missing, and prints the peak memory of the process at each step.


#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "results/lzma_packer.h"
#include "results/packed_results.h"

namespace zandrel {
namespace {

const std::string kStar(72, 's');
const std::string kNewline(72, 'n');

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Resident and peak memory of this process in MiB, from /proc/self/status.
std::string memory() {
  std::ifstream status("/proc/self/status");
  std::string line, out;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0 || line.rfind("VmHWM:", 0) == 0) {
      out += line.substr(0, 6) + " " + std::to_string(std::atol(line.c_str() + 6) / 1024) + " MiB ";
    }
  }
  return out;
}

// Rows as a search over a home folder gives them, CRC32 and MD5 computed.
std::vector<std::string> rowCells(size_t row) {
  char md5[33], crc[9];
  std::snprintf(md5, sizeof md5, "%032zx", row * 2654435761u);
  std::snprintf(crc, sizeof crc, "%zX", (row / 2 * 40503u) & 0xFFFFFFFF);
  return {std::to_string(row / 2 + 1), "/home/user/photos/2019/holiday/img_" + std::to_string(row) + ".jpg",
          "2.41 MB", md5, "", crc};
}

int runExport(size_t rows) {
  ResultsRows all;
  for (size_t row = 0; row < rows; ++row) all.push_back(rowCells(row));
  const auto start = Clock::now();
  const std::string text = buildPackedText(all, kStar, kNewline);
  const double built = secondsSince(start);
  const std::string file = packResultsFile(text);
  const double packed = secondsSince(start);
  std::printf("%zu rows: text %zu bytes built in %.3f s, packed to %zu bytes, %.2f s in all\n", rows, text.size(),
              built, file.size(), packed);
  return 0;
}

void writeImportFile(const std::string& path, size_t rows) {
  ResultsRows all;
  for (size_t row = 0; row < rows; ++row) all.push_back(rowCells(row));
  std::string text = buildPackedText(all, kStar, kNewline);
  ResultsRows().swap(all);
  // The export's settings would take minutes here; the reader takes any.
  LzmaSettings settings;
  settings.level = 1;
  const std::string file = packResultsFile(text, settings);
  writePackedResultsFile(path, file);
  std::printf("wrote %s: %zu rows, text %zu bytes, file %zu bytes\n", path.c_str(), rows, text.size(), file.size());
}

int runImport(const std::string& path, size_t rows) {
  if (!std::filesystem::exists(path)) writeImportFile(path, rows);
  std::printf("start: %s\n", memory().c_str());
  const auto start = Clock::now();
  std::optional<std::string> text = readPackedResultsFile(path);
  if (!text) {
    std::printf("refused\n");
    return 1;
  }
  const size_t textSize = text->size();
  std::printf("unpacked %zu bytes in %.2f s: %s\n", textSize, secondsSince(start), memory().c_str());
  ImportCells cells;
  const bool fits = parseNativeImport(*text, cells);
  std::printf("parsed %zu cells (%s) in %.2f s: %s\n", cells.size(), fits ? "fit" : "refused", secondsSince(start),
              memory().c_str());
  text.reset();
  size_t count = 0;
  forEachImportRow(cells, kStar, kNewline, [&](const std::vector<std::string>&) { ++count; });
  std::printf("%zu rows walked in %.2f s: %s\n", count, secondsSince(start), memory().c_str());
  return 0;
}

}  // namespace
}  // namespace zandrel

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s export|import [--rows N] [--file PATH]\n", argv[0]);
    return 2;
  }
  const std::string mode = argv[1];
  size_t rows = mode == "export" ? 74000 : 3000000;
  std::string file;
  for (int i = 2; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--rows") == 0) rows = std::strtoull(argv[i + 1], nullptr, 10);
    if (std::strcmp(argv[i], "--file") == 0) file = argv[i + 1];
  }
  if (mode == "export") return zandrel::runExport(rows);
  if (mode == "import" && !file.empty()) return zandrel::runImport(file, rows);
  std::fprintf(stderr, "unknown mode or no --file\n");
  return 2;
}
