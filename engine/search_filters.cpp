#include "engine/search_filters.h"

#include <algorithm>

#include "engine/search_state.h"
#include "engine/shared_helpers.h"

namespace zandrel {
namespace {

template <typename Keep>
void keepPaths(Keep keep) {
  std::vector<std::string> passed;
  passed.reserve(gPathList.size());
  for (std::string& path : gPathList) {
    if (keep(path)) passed.push_back(std::move(path));
  }
  gPathList = std::move(passed);
}

void filterExtensions(const std::string& extensionsText, bool keepListed) {
  const auto list = parseExtensionList(extensionsText);
  if (!list) return;
  keepPaths([&](const std::string& path) {
    const bool listed = std::find(list->begin(), list->end(), pathExtension(path)) != list->end();
    return listed == keepListed;
  });
}

}  // namespace

void applySearchFilters(const FilterChoice& choice) {
  if (choice.sizeRule == SizeRule::Include) filterIncludeSizeRange();
  if (choice.sizeRule == SizeRule::Exclude) filterExcludeSizeRange();
  if (choice.extensionRule == ExtensionRule::Include) filterIncludeExtensions(choice.extensionsText);
  if (choice.extensionRule == ExtensionRule::Exclude) filterExcludeExtensions(choice.extensionsText);
}

void filterIncludeSizeRange() {
  keepPaths([](const std::string& path) {
    const int64_t size = readPathSize(path);
    return size >= gMinSize && (gMaxSize == 0 || size <= gMaxSize);
  });
}

void filterExcludeSizeRange() {
  keepPaths([](const std::string& path) {
    const int64_t size = readPathSize(path);
    return size < gMinSize || size > gMaxSize;
  });
}

void filterIncludeExtensions(const std::string& extensionsText) { filterExtensions(extensionsText, true); }

void filterExcludeExtensions(const std::string& extensionsText) { filterExtensions(extensionsText, false); }

std::optional<std::vector<std::string>> parseExtensionList(const std::string& extensionsText) {
  const std::string trimmed = trimBlanks(extensionsText);
  if (trimmed.empty()) return std::nullopt;
  const std::string text = trimmed + " ***";

  std::vector<std::string> entries;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find(' ', pos);
    if (end == std::string::npos) end = text.size();
    std::string field = text.substr(pos, end - pos);
    if (field.find("***") != std::string::npos) break;
    entries.push_back(std::move(field));
    pos = end + 1;
  }
  return entries;
}

std::string pathExtension(const std::string& path) {
  for (size_t i = path.size(); i-- > 0;) {
    const char c = path[i];
    if (c == '/' || c == ' ') return {};
    if (c == '.') {
      if (i == 0 || path[i - 1] == '/') return {};
      const size_t end = path.find('"', i + 1);
      return path.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
    }
  }
  return {};
}

}  // namespace zandrel
