#pragma once
// The size and extension rules, applied to gPathList in the GUI thread
// between the path collection and the size pass. Each filter keeps the order.

#include <optional>
#include <string>
#include <vector>

namespace zandrel {

enum class SizeRule { Any, Include, Exclude };
enum class ExtensionRule { Any, Include, Exclude };

// The option states the filters read when their step runs.
struct FilterChoice {
  SizeRule sizeRule = SizeRule::Any;          // bounds in gMinSize, gMaxSize
  ExtensionRule extensionRule = ExtensionRule::Any;
  std::string extensionsText;                 // the extensions field as typed
};

void applySearchFilters(const FilterChoice& choice);

// Keeps paths with gMinSize <= size <= gMaxSize; gMaxSize 0 means no upper limit.
void filterIncludeSizeRange();
// Keeps paths with size < gMinSize or size > gMaxSize.
void filterExcludeSizeRange();
// Keep paths whose extension is (is not) in the list; an empty list leaves
// gPathList alone.
void filterIncludeExtensions(const std::string& extensionsText);
void filterExcludeExtensions(const std::string& extensionsText);

// The entries of the extensions field, split at every single blank (so two
// blanks give an empty entry) and ended by an entry containing "***";
// nothing when the field holds only blanks.
std::optional<std::vector<std::string>> parseExtensionList(const std::string& extensionsText);

// The text after the last dot of the file name, up to a double quote; empty
// when the name has no dot, starts with it, or a blank follows it. Case is kept.
std::string pathExtension(const std::string& path);

}  // namespace zandrel
