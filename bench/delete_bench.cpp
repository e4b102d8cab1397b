// Times a Delete of many unchanged files through the real window:
//   tools/with-xvfb.sh build/bench/zandrel_delete_bench [--files N] [--size BYTES] [--only searched]
// Makes N pairs of equal files (4,096 bytes unless given) and deletes one file
// of each pair three times over: as rows of the program's own search (each
// file checked against its record), as imported rows (each compared byte for
// byte with the file of its pair that stays) and as imported rows with both
// files of a group checked (nothing to compare with). Then times the two
// checks alone, without the window. N is 10,000 unless given; --only
// searched runs the first Delete alone.

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "bridge/results_list.h"
#include "config/program_folder.h"
#include "engine/search_state.h"
#include "resources/images.h"
#include "results/file_actions.h"
#include "ui/ui.h"
#include "ui/ui_objects.h"
#include "ui/ui_testing.h"

namespace zandrel {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

enum class Rows { Searched, Imported, ImportedAllChecked };

struct Pair {
  std::string staying;
  std::string checked;
};

std::vector<Pair> makePairs(const std::string& folder, size_t count, size_t size) {
  fs::remove_all(folder);
  fs::create_directories(folder);
  std::vector<Pair> pairs;
  for (size_t i = 0; i < count; ++i) {
    std::string content(size, 'c');
    const std::string number = std::to_string(i);
    content.replace(0, number.size(), number);
    Pair pair{folder + "/a" + number, folder + "/b" + number};
    std::ofstream(pair.staying, std::ios::binary) << content;
    std::ofstream(pair.checked, std::ios::binary) << content;
    pairs.push_back(std::move(pair));
  }
  return pairs;
}

void fillRows(const std::vector<Pair>& pairs, Rows kind) {
  ui::clearRows(ResultsList);
  forgetSearchedFiles();
  for (size_t i = 0; i < pairs.size(); ++i) {
    const std::string group = std::to_string(i + 1);
    for (const std::string& file : {pairs[i].staying, pairs[i].checked}) {
      const int row = ui::rowCount(ResultsList);
      appendResultRow({group, file, "4.00 KB", "", "", ""});
      if (kind == Rows::Searched) recordSearchedFile(file, *currentFileStamp(file));
      const bool checked = file == pairs[i].checked || kind == Rows::ImportedAllChecked;
      ui::setRowState(ResultsList, row, checked ? ui::kRowChecked : 0);
    }
  }
}

int run(size_t count, size_t size, bool searchedOnly) {
  if (!ui::initialize()) {
    std::fprintf(stderr, "no display: run under tools/with-xvfb.sh\n");
    return 1;
  }
  for (const DecodedImage& image : decodeEmbeddedImages()) {
    ui::createImage(image.number, image.width, image.height, image.rgba);
  }
  const fs::path base = fs::temp_directory_path() / ("zandrel-delete-bench-" + std::to_string(::getpid()));
  fs::create_directories(base);
  gProgramFolder = base.string() + "/";
  gSettingsPath = gProgramFolder + "settings.ini";
  if (!buildMainWindow()) return 1;
  ui::testing::pumpEvents();
  while (ui::pollEvent().kind != ui::EventKind::None) {
  }

  const struct {
    const char* what;
    Rows kind;
  } runs[] = {{"search rows, each checked against its record", Rows::Searched},
              {"imported rows, each compared with the file that stays", Rows::Imported},
              {"imported rows, whole groups checked", Rows::ImportedAllChecked}};
  for (const auto& r : runs) {
    if (searchedOnly && r.kind != Rows::Searched) continue;
    const std::vector<Pair> pairs = makePairs((base / "files").string(), count, size);
    fillRows(pairs, r.kind);
    const size_t checked = r.kind == Rows::ImportedAllChecked ? 2 * count : count;
    ui::testing::forgetDialogs();
    ui::testing::answerNextDialog(ui::testing::DialogAnswer::Yes);
    const auto start = Clock::now();
    deleteSelectedFiles();
    const double seconds = secondsSince(start);
    size_t deleted = 0;
    for (const Pair& pair : pairs) {
      deleted += !fs::exists(pair.checked);
      if (r.kind == Rows::ImportedAllChecked) deleted += !fs::exists(pair.staying);
    }
    std::printf("%s: %zu of %zu files deleted in %.2f s (%.3f ms a file), %zu listed as failed\n", r.what, deleted,
                checked, seconds, 1000 * seconds / static_cast<double>(checked), gFailedFiles.size());
  }

  // The checks alone, on the GUI thread.
  const std::vector<Pair> pairs = makePairs((base / "files").string(), count, size);
  std::vector<FileStamp> stamps;
  for (const Pair& pair : pairs) stamps.push_back(*currentFileStamp(pair.checked));
  auto start = Clock::now();
  size_t same = 0;
  for (size_t i = 0; i < count; ++i) same += currentFileStamp(pairs[i].checked) == stamps[i];
  std::printf("record check alone: %zu files in %.3f s (%.1f us a file), %zu unchanged\n", count,
              secondsSince(start), 1e6 * secondsSince(start) / static_cast<double>(count), same);
  const std::atomic<bool> noStop{false};
  start = Clock::now();
  same = 0;
  for (const Pair& pair : pairs) same += holdsSameBytes(pair.checked, pair.staying, noStop);
  std::printf("byte comparison alone: %zu pairs in %.3f s (%.1f us a pair), %zu equal\n", count, secondsSince(start),
              1e6 * secondsSince(start) / static_cast<double>(count), same);
  fs::remove_all(base);
  return 0;
}

}  // namespace
}  // namespace zandrel

int main(int argc, char** argv) {
  size_t count = 10000;
  size_t size = 4096;
  bool searchedOnly = false;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--files") == 0) count = std::strtoul(argv[i + 1], nullptr, 10);
    if (std::strcmp(argv[i], "--size") == 0) size = std::strtoul(argv[i + 1], nullptr, 10);
    if (std::strcmp(argv[i], "--only") == 0) searchedOnly = std::strcmp(argv[i + 1], "searched") == 0;
  }
  return zandrel::run(count, size, searchedOnly);
}
