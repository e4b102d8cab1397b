// Times saving and loading a settings file with many search locations, the
// way the toolbar's save and the start-up read do it, without the window:
//   zandrel_ini_bench [--locations N]... [--language-lines N]...
// Each N (20,000, 50,000 and 100,000 unless given) is saved into a fresh
// folder under the temporary folder, read back, checked and removed. With
// --language-lines, a language file of every text and then N lines "a=b",
// as a hostile one could be, is loaded as a change of language does it.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bridge/ui_strings.h"
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

std::string languageText(int index) { return "text " + std::to_string(index); }

bool writeLanguageFile(const std::string& file, int lines) {
  std::FILE* out = std::fopen(file.c_str(), "wb");
  if (out == nullptr) return false;
  for (int i = 0; i < kUiStringCount; ++i) std::fprintf(out, "%d=%s\n", i, languageText(i).c_str());
  for (int i = 0; i < lines; ++i) std::fputs("a=b\n", out);
  return std::fclose(out) == 0;
}

// Every text as loadLanguageTexts reads it; the number read back right.
int loadLanguage(const std::string& file) {
  if (!openIniFile(file)) return -1;
  int right = 0;
  for (int i = 0; i < kUiStringCount; ++i) right += readIniString(std::to_string(i), "") == languageText(i);
  closeIniFile();
  return right;
}

int run(const std::vector<int>& counts, const std::vector<int>& languageLines) {
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
  const std::string language = pattern + "/hostile.lng";
  for (const int n : languageLines) {
    if (!writeLanguageFile(language, n)) {
      status = 1;
      continue;
    }
    const auto size = std::filesystem::file_size(language);
    // The first load finds no memory the process freed before; the later ones do.
    for (const char* when : {"first", "again"}) {
      const auto start = Clock::now();
      const int right = loadLanguage(language);
      std::printf("%7d language lines  %6.2f MiB  load (%s) %.3f s%s\n", n, static_cast<double>(size) / 1048576.0,
                  when, secondsSince(start), right == kUiStringCount ? "" : "  (read back wrong)");
      if (right != kUiStringCount) status = 1;
    }
  }
  std::filesystem::remove_all(pattern);
  return status;
}

}  // namespace
}  // namespace zandrel

int main(int argc, char** argv) {
  std::vector<int> counts;
  std::vector<int> languageLines;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--locations") == 0) counts.push_back(std::atoi(argv[i + 1]));
    if (std::strcmp(argv[i], "--language-lines") == 0) languageLines.push_back(std::atoi(argv[i + 1]));
  }
  if (counts.empty() && languageLines.empty()) counts = {20000, 50000, 100000};
  return zandrel::run(counts, languageLines);
}
