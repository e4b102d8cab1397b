// Times a search end to end, step by step, each step on a worker of its own
// as the program runs it:
//   zandrel_bench [--seed N] [--files N] [--large-percent N] [--dir PATH]
//                 [--passes crc32,md5,sha1] [--no-check]
// With --dir naming a folder that holds files, that tree is searched as it is.
// Otherwise a tree is made from the seed alone (two runs with one seed write
// the same bytes): into PATH when --dir names a new or empty folder, where it
// is kept, or into a fresh folder under /tmp, removed at the end.
// --passes runs one search with those passes instead of the usual four; the
// check after each search runs its passes again on one thread and tells
// whether the groups are the same.

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <malloc.h>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "engine/hash_passes.h"
#include "engine/path_collection.h"
#include "engine/results_fill.h"
#include "engine/search_filters.h"
#include "engine/search_state.h"
#include "engine/size_grouping.h"
#include "engine/worker_thread.h"

namespace zandrel {
namespace {

namespace fs = std::filesystem;

struct Options {
  uint64_t seed = 1;
  int64_t files = 2000;
  int largePercent = 1;  // share of files of a few MiB
  std::string dir;
  std::vector<std::vector<HashKind>> searches = {
      {HashKind::Crc32}, {HashKind::Md5}, {HashKind::Sha1}, {HashKind::Crc32, HashKind::Md5, HashKind::Sha1}};
  bool check = true;
};

std::optional<std::vector<HashKind>> parsePasses(std::string_view text) {
  std::vector<HashKind> passes;
  while (!text.empty()) {
    const size_t comma = text.find(',');
    const std::string_view name = text.substr(0, comma);
    if (name == "crc32") {
      passes.push_back(HashKind::Crc32);
    } else if (name == "md5") {
      passes.push_back(HashKind::Md5);
    } else if (name == "sha1") {
      passes.push_back(HashKind::Sha1);
    } else {
      return std::nullopt;
    }
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
  }
  if (passes.empty()) return std::nullopt;
  return passes;
}

template <typename Number>
bool parseNumber(std::string_view text, Number& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

std::optional<Options> parseOptions(int argc, char** argv) {
  Options options;
  int i = 1;
  while (i < argc) {
    const std::string_view name = argv[i];
    if (name == "--no-check") {
      options.check = false;
      ++i;
      continue;
    }
    // Every other option takes the value that follows it.
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    bool ok = value != nullptr;
    if (ok && name == "--seed") {
      ok = parseNumber(value, options.seed);
    } else if (ok && name == "--files") {
      ok = parseNumber(value, options.files) && options.files >= 0;
    } else if (ok && name == "--large-percent") {
      ok = parseNumber(value, options.largePercent) && options.largePercent >= 0 && options.largePercent <= 100;
    } else if (ok && name == "--dir") {
      options.dir = value;
      ok = !options.dir.empty();
    } else if (ok && name == "--passes") {
      const auto passes = parsePasses(value);
      ok = passes.has_value();
      if (ok) options.searches = {*passes};
    } else {
      ok = false;
    }
    if (!ok) {
      std::fprintf(stderr,
                   "usage: %s [--seed N] [--files N] [--large-percent N] [--dir PATH] [--passes crc32,md5,sha1] "
                   "[--no-check]\n",
                   argv[0]);
      return std::nullopt;
    }
    i += 2;
  }
  return options;
}

// Writes a tree that looks like a real collection: nested folders, mostly small
// files, a few large ones, many copies, and many files that share a size with
// another but not its content (some differ only in their last byte, so every
// block but the last must be read to tell them apart).
class TreeMaker {
 public:
  TreeMaker(uint64_t seed, int largePercent, fs::path root) : random_(seed), largePercent_(largePercent) {
    folders_.push_back({std::move(root), 0});
  }

  void make(int64_t fileCount) {
    for (int64_t i = 0; i < fileCount / 20 + 1; ++i) addFolder(i);
    for (int64_t i = 0; i < fileCount; ++i) addFile(i);
  }

  int64_t files() const { return static_cast<int64_t>(files_.size()); }
  int64_t folders() const { return static_cast<int64_t>(folders_.size()); }
  int64_t bytes() const { return bytes_; }
  int64_t copies() const { return copies_; }
  int64_t lookalikes() const { return lookalikes_; }

 private:
  struct Folder {
    fs::path path;
    int depth;
  };
  struct File {
    fs::path path;
    size_t size;
  };

  // Plain modulo keeps the tree the same with every standard library.
  uint64_t below(uint64_t n) { return random_() % n; }

  void addFolder(int64_t index) {
    const Folder& parent = folders_[below(folders_.size())];
    if (parent.depth >= 6) return;
    Folder folder{parent.path / ("d" + std::to_string(index)), parent.depth + 1};
    fs::create_directories(folder.path);
    folders_.push_back(std::move(folder));
  }

  size_t freshSize() {
    if (below(100) < static_cast<uint64_t>(largePercent_)) return (1 + below(4)) * 1048576 + below(65536);  // a few MiB
    if (below(4) == 0) return below(64);                                  // tiny, empty included
    return below(16384);
  }

  std::string randomBytes(size_t size) {
    std::string content(size, '\0');
    for (char& c : content) c = static_cast<char>(random_() & 0xFF);
    return content;
  }

  void addFile(int64_t index) {
    static const char* const kExtensions[] = {".txt", ".jpg", ".bin", ".dat", ""};
    const fs::path path = folders_[below(folders_.size())].path /
                          ("f" + std::to_string(index) + kExtensions[below(std::size(kExtensions))]);
    const uint64_t roll = below(100);
    std::string content;
    if (!files_.empty() && roll < 35) {
      // A copy, not a reference: the push_back below may move the list.
      const File original = files_[below(files_.size())];
      fs::copy_file(original.path, path);
      files_.push_back({path, original.size});
      bytes_ += static_cast<int64_t>(original.size);
      ++copies_;
      return;
    }
    if (!files_.empty() && roll < 60) {
      const File& other = files_[below(files_.size())];
      if (other.size > 0 && below(2) == 0) {
        std::ifstream in(other.path, std::ios::binary);
        content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (content.size() != other.size) throw fs::filesystem_error("cannot read back", other.path, std::error_code());
        content.back() = static_cast<char>(content.back() ^ 0x5A);
      } else {
        content = randomBytes(other.size);
      }
      ++lookalikes_;
    } else {
      content = randomBytes(freshSize());
    }
    std::ofstream out(path, std::ios::binary);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out.flush()) throw fs::filesystem_error("cannot write", path, std::make_error_code(std::errc::io_error));
    files_.push_back({path, content.size()});
    bytes_ += static_cast<int64_t>(content.size());
  }

  std::mt19937_64 random_;
  int largePercent_;
  std::vector<Folder> folders_;
  std::vector<File> files_;
  int64_t bytes_ = 0;
  int64_t copies_ = 0;
  int64_t lookalikes_ = 0;
};

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double megabytes(int64_t bytes) { return static_cast<double>(bytes) / 1e6; }

// Groups as the results list would number them.
int64_t groupCount() {
  const ResultsFill fill = fillResultRows(gFileEntries);
  int64_t groups = 0;
  for (size_t i = 0; i < fill.rows.size(); ++i) groups += i == 0 || fill.rows[i].group != fill.rows[i - 1].group;
  return groups;
}

// bytes < 0: a step that reads no content; groups < 0: a step that forms none.
void printRow(const std::string& run, const char* pass, int64_t files, int64_t bytes, double seconds,
              int64_t groups) {
  const double perSecond = seconds > 0 ? 1 / seconds : 0;
  char read[32] = "-";
  char rate[32] = "-";
  if (bytes >= 0) {
    std::snprintf(read, sizeof read, "%.1f", megabytes(bytes));
    std::snprintf(rate, sizeof rate, "%.1f", megabytes(bytes) * perSecond);
  }
  char groupText[32] = "-";
  if (groups >= 0) std::snprintf(groupText, sizeof groupText, "%lld", static_cast<long long>(groups));
  std::printf("%-15s %-8s %8lld %10s %9.3f %11.0f %9s %8s\n", run.c_str(), pass, static_cast<long long>(files), read,
              seconds, static_cast<double>(files) * perSecond, rate, groupText);
}

// Runs one step on a worker and waits for it, as the search driver does.
double timedStep(const std::function<void()>& step) {
  const auto start = std::chrono::steady_clock::now();
  WorkerThread worker;
  if (!worker.start(step)) step();
  worker.join();
  return secondsSince(start);
}

// Heap bytes in use, as the allocator counts them.
int64_t heapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<int64_t>(info.uordblks + info.hblkhd);
}

// One search as the driver runs it, with the given passes in order.
void runSearch(const std::string& root, const std::vector<HashKind>& passes, bool check) {
  std::string run;
  for (const HashKind kind : passes) run += (run.empty() ? "" : "+") + std::string(hashKindName(kind));

  resetSearchState();
  gSearchSubdirs = 1;
  const int64_t heapBefore = heapInUse();
  const auto start = std::chrono::steady_clock::now();
  const double collectSeconds = timedStep([&root] { collectSearchPaths({root}); });
  const auto paths = static_cast<int64_t>(gPathList.size());
  printRow(run, "paths", paths, -1, collectSeconds, -1);
  const auto filterStart = std::chrono::steady_clock::now();
  applySearchFilters(FilterChoice{});
  const double filterSeconds = secondsSince(filterStart);
  const double sizeSeconds = timedStep(collectFileSizes);
  const auto sized = static_cast<int64_t>(gFileEntries.size());
  const int64_t heapSized = heapInUse() - heapBefore;
  printRow(run, "sizes", sized, -1, filterSeconds + sizeSeconds, -1);
  const double groupSeconds = timedStep(groupBySize);
  // No content is read before the passes; the groups here are the sizes shared by two or more files.
  int64_t sizeGroups = 0;
  for (const auto& [size, count] : gSizeCounts) sizeGroups += count >= 2;
  printRow(run, "grouping", static_cast<int64_t>(gFileEntries.size()), -1, groupSeconds, sizeGroups);
  const std::vector<FileEntry> grouped = check ? gFileEntries : std::vector<FileEntry>();

  for (const HashKind kind : passes) {
    const auto files = static_cast<int64_t>(gFileEntries.size());
    int64_t bytes = 0;
    for (const FileEntry& entry : gFileEntries) bytes += entry.fileSize;
    const double passSeconds = timedStep([kind] { runHashPass(kind); });
    printRow(run, hashKindName(kind), files, bytes, passSeconds, groupCount());
  }
  const double total = secondsSince(start);
  std::printf("%-15s %-8s %8lld %10s %9.3f   (%u hashing threads; heap after the size pass %.0f bytes per path)\n",
              run.c_str(), "search", static_cast<long long>(paths), "", total, hashThreadCount(),
              paths > 0 ? static_cast<double>(heapSized) / static_cast<double>(paths) : 0.0);

  if (check) {
    const std::vector<FileEntry> found = gFileEntries;
    setHashThreadCount(1);
    gFileEntries = grouped;
    for (const HashKind kind : passes) runHashPass(kind);
    setHashThreadCount(0);
    std::printf("%-15s check: groups %s those of the one-thread pass (%zu entries)\n", run.c_str(),
                gFileEntries == found ? "equal" : "DIFFER FROM", found.size());
  }
  clearSearchLists();
  std::printf("\n");
}

int runBench(const Options& options) {
  fs::path root;
  bool make = true;
  if (options.dir.empty()) {
    std::string pattern = (fs::temp_directory_path() / "zandrel-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      std::fprintf(stderr, "cannot make a folder %s: %s\n", pattern.c_str(), std::strerror(errno));
      return 1;
    }
    root = pattern;
  } else {
    root = options.dir;
    make = !fs::exists(root) || fs::is_empty(root);
    if (make) fs::create_directories(root);
  }
  // The temporary tree goes on every way out, a failed write included.
  struct Cleanup {
    fs::path root;
    ~Cleanup() {
      std::error_code ignored;
      if (!root.empty()) fs::remove_all(root, ignored);
    }
  } cleanup{options.dir.empty() ? root : fs::path()};

  if (make) {
    std::printf("zandrel_bench: seed %llu, tree in %s%s\n", static_cast<unsigned long long>(options.seed),
                root.c_str(), options.dir.empty() ? " (removed at the end)" : " (kept)");
    const auto makeStart = std::chrono::steady_clock::now();
    TreeMaker maker(options.seed, options.largePercent, root);
    maker.make(options.files);
    std::printf("tree: %lld files in %lld folders, %.1f MB, %lld copies, %lld of a shared size (made in %.2f s)\n",
                static_cast<long long>(maker.files()), static_cast<long long>(maker.folders()),
                megabytes(maker.bytes()), static_cast<long long>(maker.copies()),
                static_cast<long long>(maker.lookalikes()), secondsSince(makeStart));
    std::printf(
        "note: the tree was just written, so it sits in the page cache and every run reads warm; these figures\n"
        "      show the cost of the fingerprints and the steps, not of the disk.\n");
  } else {
    std::printf("zandrel_bench: searching the tree in %s as it is\n", root.c_str());
  }
  std::printf(
      "      MB = 10^6 bytes. 'paths' is the path collection, 'sizes' the filters and the size pass,\n"
      "      'grouping' the size grouping (its groups are the sizes two or more files share); a pass reads\n"
      "      every byte of the files it starts with. Each step runs on a worker of its own.\n\n");
  std::printf("%-15s %-8s %8s %10s %9s %11s %9s %8s\n", "run", "step", "files", "MB read", "seconds", "files/s",
              "MB/s", "groups");

  for (const auto& passes : options.searches) runSearch(root.string(), passes, options.check);
  return 0;
}

}  // namespace
}  // namespace zandrel

int main(int argc, char** argv) {
  const auto options = zandrel::parseOptions(argc, argv);
  if (!options) return 2;
  try {
    return zandrel::runBench(*options);
  } catch (const std::filesystem::filesystem_error& error) {
    std::fprintf(stderr, "zandrel_bench: %s\n", error.what());
    return 1;
  }
}
