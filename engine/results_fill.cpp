#include "engine/results_fill.h"

#include "engine/shared_helpers.h"

namespace zandrel {

ResultsFill fillResultRows(const std::vector<FileEntry>& entries) {
  ResultsFill fill;
  if (entries.size() < 2) {
    fill.noDuplicates = true;
    return fill;
  }
  fill.rows.reserve(entries.size());
  int64_t group = 0;
  const FileEntry* previous = nullptr;
  for (const FileEntry& entry : entries) {
    const bool differs = previous == nullptr
                             ? !entry.crc32Hex.empty() || !entry.md5Hex.empty() || !entry.sha1Hex.empty()
                             : entry.crc32Hex != previous->crc32Hex || entry.md5Hex != previous->md5Hex ||
                                   entry.sha1Hex != previous->sha1Hex || entry.fileSize != previous->fileSize;
    if (differs) ++group;
    fill.rows.push_back(ResultRow{std::to_string(group), entry.filePath, formatFileSize(entry.fileSize),
                                  entry.md5Hex, entry.sha1Hex, entry.crc32Hex, fileStampOf(entry)});
    previous = &entry;
  }
  const size_t count = fill.rows.size();
  if (fill.rows[count - 1].group != fill.rows[count - 2].group) fill.rows.pop_back();
  return fill;
}

}  // namespace zandrel
