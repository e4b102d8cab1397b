#pragma once
// Numbers what the last hash pass left in gFileEntries into result rows.

#include <string>
#include <vector>

#include "engine/search_state.h"

namespace zandrel {

// One row of the results list, in column order.
struct ResultRow {
  std::string group;  // decimal group number
  std::string filePath;
  std::string sizeText;
  std::string md5Hex;
  std::string sha1Hex;
  std::string crc32Hex;
  FileStamp stamp;  // what the search saw of the file
};

struct ResultsFill {
  std::vector<ResultRow> rows;
  bool noDuplicates = false;  // fewer than two entries: nothing to show
};

// The group number starts at 0 and rises with each row whose CRC32, MD5 or
// SHA1 text or size differs from the row before (the first row is compared
// with three empty texts). A last row left alone in its group is dropped.
ResultsFill fillResultRows(const std::vector<FileEntry>& entries);

}  // namespace zandrel
