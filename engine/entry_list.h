#pragma once
// Thinning a list of candidate files in place.

#include <cstddef>
#include <utility>
#include <vector>

#include "engine/search_state.h"

namespace zandrel {

// Keeps the entries for which keep(i) holds, in order, without a second list.
// keep(i) may look only at entry i: the ones before it may have been moved from.
template <typename Keep>
void keepWhere(std::vector<FileEntry>& entries, Keep keep) {
  size_t kept = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!keep(i)) continue;
    if (kept != i) entries[kept] = std::move(entries[i]);
    ++kept;
  }
  entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(kept), entries.end());
}

}  // namespace zandrel
