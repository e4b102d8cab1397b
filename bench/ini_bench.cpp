// Times saving and loading a settings file with many search locations, the
// way the toolbar's save and the start-up read do it, without the window:
//   zandrel_ini_bench [--locations N]...
// Each N (20,000, 50,000 and 100,000 unless given) is saved into a fresh
// folder under the temporary folder, read back, checked and removed.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "config/ini_document.h"

namespace zandrel {
namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string location(int number) { return "/home/user/pictures/2019/holiday/folder " + std::to_string(number); }

// The groups and keys saveSettings writes, then n locations.
bool save(const std::string& file, int n) {
  if (!createIniFile(file)) return false;
  writeIniString("lang", "English");
  selectIniGroup("algorithm");
  for (const char* key : {"md5", "sha1", "crc32"}) writeIniString(key, "1");
  selectIniGroup("attributes");
  for (const char* key : {"subdirs", "hidden", "system"}) writeIniString(key, "0");
  selectIniGroup("size");
  for (const char* key : {"option", "min", "max"}) writeIniString(key, "1");
  selectIniGroup("extension");
  writeIniString("option", "1");
  writeIniString("extensions", "");
  selectIniGroup("locations");
  for (int i = 1; i <= n; ++i) writeIniString(std::to_string(i), location(i));
  return closeIniFile();
}

// The locations as loadSettings reads them: key 1, 2, ... up to the first empty one.
int load(const std::string& file) {
  if (!openIniFile(file)) return -1;
  readIniString("lang", "");
  selectIniGroup("algorithm");
  for (const char* key : {"md5", "sha1", "crc32"}) readIniString(key, "0");
  selectIniGroup("locations");
  int read = 0;
  for (int key = 1;; ++key) {
    const std::string value = readIniString(std::to_string(key), "");
    if (value.empty()) break;
    if (value != location(key)) return -1;
    ++read;
  }
  closeIniFile();
  return read;
}

int run(const std::vector<int>& counts) {
  const char* temp = std::getenv("TMPDIR");
  std::string pattern = std::string(temp != nullptr && *temp != '\0' ? temp : "/tmp") + "/zandrel-ini-bench.XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::string file = pattern + "/settings.ini";
  int status = 0;
  for (const int n : counts) {
    auto start = Clock::now();
    const bool saved = save(file, n);
    const double saving = secondsSince(start);
    const auto size = saved ? std::filesystem::file_size(file) : 0;
    start = Clock::now();
    const int loaded = saved ? load(file) : -1;
    const double loading = secondsSince(start);
    std::printf("%7d locations  %6.2f MiB  save %.3f s  load %.3f s%s\n", n, static_cast<double>(size) / 1048576.0,
                saving, loading, loaded == n ? "" : "  (read back wrong)");
    if (loaded != n) status = 1;
  }
  std::filesystem::remove_all(pattern);
  return status;
}

}  // namespace
}  // namespace zandrel

int main(int argc, char** argv) {
  std::vector<int> counts;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--locations") == 0) counts.push_back(std::atoi(argv[i + 1]));
  }
  if (counts.empty()) counts = {20000, 50000, 100000};
  return zandrel::run(counts);
}
