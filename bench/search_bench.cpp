// Times a search end to end over a generated tree of files:
//   zandrel_bench [--seed N] [--files N] [--dir PATH]
// The tree is made from the seed alone, so two runs with one seed read the same
// bytes. Without --dir it goes to a fresh folder under /tmp, removed at the end;
// with --dir it is written to PATH (which must be empty or missing) and kept.

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
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

namespace zandrel {
namespace {

namespace fs = std::filesystem;

struct Options {
  uint64_t seed = 1;
  int64_t files = 2000;
  std::string dir;
};

template <typename Number>
bool parseNumber(std::string_view text, Number& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

std::optional<Options> parseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; i += 2) {  // each option takes a value
    const std::string_view name = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    bool ok = value != nullptr;
    if (ok && name == "--seed") {
      ok = parseNumber(value, options.seed);
    } else if (ok && name == "--files") {
      ok = parseNumber(value, options.files) && options.files >= 0;
    } else if (ok && name == "--dir") {
      options.dir = value;
      ok = !options.dir.empty();
    } else {
      ok = false;
    }
    if (!ok) {
      std::fprintf(stderr, "usage: %s [--seed N] [--files N] [--dir PATH]\n", argv[0]);
      return std::nullopt;
    }
  }
  return options;
}

// Writes a tree that looks like a real collection: nested folders, mostly small
// files, a few large ones, many copies, and many files that share a size with
// another but not its content (some differ only in their last byte, so every
// block but the last must be read to tell them apart).
class TreeMaker {
 public:
  TreeMaker(uint64_t seed, fs::path root) : random_(seed) { folders_.push_back({std::move(root), 0}); }

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
    if (below(100) == 0) return (1 + below(4)) * 1048576 + below(65536);  // a few MiB
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
      const File& original = files_[below(files_.size())];
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

// bytes < 0: a step that reads no content.
void printRow(const std::string& run, const char* pass, int64_t files, int64_t bytes, double seconds,
              int64_t groups) {
  const double perSecond = seconds > 0 ? 1 / seconds : 0;
  char read[32] = "-";
  char rate[32] = "-";
  if (bytes >= 0) {
    std::snprintf(read, sizeof read, "%.1f", megabytes(bytes));
    std::snprintf(rate, sizeof rate, "%.1f", megabytes(bytes) * perSecond);
  }
  std::printf("%-15s %-8s %8lld %10s %9.3f %11.0f %9s %8lld\n", run.c_str(), pass, static_cast<long long>(files), read,
              seconds, static_cast<double>(files) * perSecond, rate, static_cast<long long>(groups));
}

// One search as the driver runs it, with the given passes in order.
void runSearch(const std::string& root, const std::vector<HashKind>& passes) {
  std::string run;
  for (const HashKind kind : passes) run += (run.empty() ? "" : "+") + std::string(hashKindName(kind));

  resetSearchState();
  gSearchSubdirs = 1;
  const auto start = std::chrono::steady_clock::now();
  collectSearchPaths({root});
  const auto paths = static_cast<int64_t>(gPathList.size());
  applySearchFilters(FilterChoice{});
  collectFileSizes();
  groupBySize();
  // No content is read before the passes; the groups here are the sizes shared by two or more files.
  int64_t sizeGroups = 0;
  for (const auto& [size, count] : gSizeCounts) sizeGroups += count >= 2;
  printRow(run, "sizes", paths, -1, secondsSince(start), sizeGroups);

  for (const HashKind kind : passes) {
    const auto files = static_cast<int64_t>(gFileEntries.size());
    int64_t bytes = 0;
    for (const FileEntry& entry : gFileEntries) bytes += entry.fileSize;
    const auto passStart = std::chrono::steady_clock::now();
    runHashPass(kind);
    printRow(run, hashKindName(kind), files, bytes, secondsSince(passStart), groupCount());
  }
  clearSearchLists();
}

int runBench(const Options& options) {
  fs::path root;
  if (options.dir.empty()) {
    std::string pattern = (fs::temp_directory_path() / "zandrel-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      std::fprintf(stderr, "cannot make a folder %s: %s\n", pattern.c_str(), std::strerror(errno));
      return 1;
    }
    root = pattern;
  } else {
    root = options.dir;
    if (fs::exists(root) && !fs::is_empty(root)) {
      std::fprintf(stderr, "%s is not empty; give a new or empty folder\n", root.c_str());
      return 1;
    }
    fs::create_directories(root);
  }
  // The temporary tree goes on every way out, a failed write included.
  struct Cleanup {
    fs::path root;
    ~Cleanup() {
      std::error_code ignored;
      if (!root.empty()) fs::remove_all(root, ignored);
    }
  } cleanup{options.dir.empty() ? root : fs::path()};

  std::printf("zandrel_bench: seed %llu, tree in %s%s\n", static_cast<unsigned long long>(options.seed), root.c_str(),
              options.dir.empty() ? " (removed at the end)" : " (kept)");
  const auto makeStart = std::chrono::steady_clock::now();
  TreeMaker maker(options.seed, root);
  maker.make(options.files);
  std::printf("tree: %lld files in %lld folders, %.1f MB, %lld copies, %lld of a shared size (made in %.2f s)\n",
              static_cast<long long>(maker.files()), static_cast<long long>(maker.folders()),
              megabytes(maker.bytes()), static_cast<long long>(maker.copies()),
              static_cast<long long>(maker.lookalikes()), secondsSince(makeStart));
  std::printf(
      "note: the tree was just written, so it sits in the page cache and every run reads warm; these figures\n"
      "      show the cost of the fingerprints and the steps, not of the disk. MB = 10^6 bytes.\n"
      "      'sizes' is the path collection, filters, size pass and size grouping together; its groups are\n"
      "      the sizes that two or more files share. A pass reads every byte of the files it starts with.\n\n");
  std::printf("%-15s %-8s %8s %10s %9s %11s %9s %8s\n", "run", "pass", "files", "MB read", "seconds", "files/s",
              "MB/s", "groups");

  const std::vector<std::vector<HashKind>> runs = {
      {HashKind::Crc32}, {HashKind::Md5}, {HashKind::Sha1}, {HashKind::Crc32, HashKind::Md5, HashKind::Sha1}};
  for (const auto& passes : runs) runSearch(root.string(), passes);
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
