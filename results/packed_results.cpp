#include "results/packed_results.h"

#include <sys/stat.h>
#include <zlib.h>

#include <limits>
#include <new>

#include "engine/file_io.h"
#include "engine/file_replace.h"
#include "engine/shared_helpers.h"
#include "engine/unique_fd.h"
#include "engine/utf8.h"
#include "results/results_columns.h"

namespace zandrel {
namespace {

constexpr uint16_t kLineFeed = 0x0A;
constexpr uint16_t kCarriageReturn = 0x0D;
constexpr uint16_t kBlank = 0x20;
constexpr uint16_t kStar = 0x2A;
constexpr uint16_t kDash = 0x2D;
// How many tokens the parser takes between two looks at its stop flag.
constexpr size_t kTokensPerStopCheck = 4096;
// Every cell line takes at least five code units ("0-0*" and its line feed),
// so a text holding more cells than a fourth of its units was not written by
// an export; cutting it off there keeps the cells' memory within a few times
// the text's size.
constexpr size_t kFewestUnitsPerCell = 4;
// Each byte of a file name goes out as one unit at least and as an escape
// token at most.
constexpr size_t kEscapeTokenLength = 72;
constexpr size_t kLongestEscapedName = longestCellText(FilenameColumn) * kEscapeTokenLength;

void appendUnit(std::string& out, uint32_t unit) {
  out += static_cast<char>(unit & 0xFF);
  out += static_cast<char>(unit >> 8);
}

// A stray byte goes out as a lone low surrogate, as in the sort order, and
// comes back as that byte.
void appendUtf16le(std::string& out, std::string_view text) {
  for (Utf16Units units(text, 0); !units.atEnd();) appendUnit(out, units.next());
}

// UTF-16LE code units held in bytes; an odd last byte is not a unit.
class Units {
 public:
  explicit Units(std::string_view bytes) : bytes_(bytes) {}
  size_t size() const { return bytes_.size() / 2; }
  uint16_t operator[](size_t i) const {
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes_[2 * i]) |
                                 static_cast<unsigned char>(bytes_[2 * i + 1]) << 8);
  }

  // Units begin to end as UTF-8.
  std::string utf8(size_t begin, size_t end) const {
    std::string out;
    out.reserve(end - begin);
    appendUtf8Of(out, begin, end);
    return out;
  }

  void appendUtf8Of(std::string& out, size_t begin, size_t end) const {
    for (size_t i = begin; i < end; ++i) {
      const uint16_t unit = (*this)[i];
      if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < end && (*this)[i + 1] >= 0xDC00 && (*this)[i + 1] <= 0xDFFF) {
        appendUtf8(out, 0x10000 + ((unit - 0xD800u) << 10) + ((*this)[i + 1] - 0xDC00u));
        ++i;
      } else if (unit >= 0xDC80 && unit <= 0xDCFF) {
        out += static_cast<char>(unit - 0xDC00);  // a byte that was not UTF-8
      } else if (unit >= 0xD800 && unit <= 0xDFFF) {
        appendUtf8(out, 0xFFFD);
      } else {
        appendUtf8(out, unit);
      }
    }
  }

  bool contains(size_t begin, size_t end, uint16_t unit) const {
    for (size_t i = begin; i < end; ++i) {
      if ((*this)[i] == unit) return true;
    }
    return false;
  }

 private:
  std::string_view bytes_;
};

void appendField(std::string& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((value >> shift) & 0xFF);
}

uint32_t fieldAt(std::string_view bytes, size_t offset) {
  uint32_t value = 0;
  for (size_t i = 4; i-- > 0;) value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
  return value;
}

int32_t signedFieldAt(std::string_view bytes, size_t offset) { return static_cast<int32_t>(fieldAt(bytes, offset)); }

uint32_t blockCrc32(std::string_view block) {
  uLong crc = crc32(0L, Z_NULL, 0);
  // zlib takes at most 4 GiB less one byte per call; blocks here stay far below.
  return static_cast<uint32_t>(
      crc32(crc, reinterpret_cast<const Bytef*>(block.data()), static_cast<uInt>(block.size())));
}

// "*" with blanks around it, or alone: a cell that stays empty.
bool isPlaceholder(std::string_view cell) {
  const size_t first = cell.find_first_not_of(' ');
  return first != std::string_view::npos && cell[first] == '*' && cell.find_last_not_of(' ') == first;
}

}  // namespace

std::string utf8ToUtf16le(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  appendUtf16le(out, text);
  return out;
}

std::string utf16leToUtf8(std::string_view units) {
  const Units text(units);
  return text.utf8(0, text.size());
}

void appendPackedRow(std::string& text, size_t row, const std::vector<std::string>& cells,
                     const std::string& starEscape, const std::string& newlineEscape) {
  const std::string number = std::to_string(row);
  std::string escaped;
  for (int column = 0; column < kResultsColumnCount; ++column) {
    const size_t index = static_cast<size_t>(column);
    const std::string_view cell = index < cells.size() ? std::string_view(cells[index]) : std::string_view();
    appendUtf16le(text, number);
    appendUnit(text, kDash);
    appendUnit(text, '0' + column);
    appendUnit(text, kStar);
    // Most names hold neither "*" nor a line feed and go out as they are.
    if (column == 1 && cell.find_first_of("*\n") != std::string_view::npos) {
      escaped = replaceAll(replaceAll(std::string(cell), "*", starEscape), "\n", newlineEscape);
      appendUtf16le(text, escaped);
    } else {
      appendUtf16le(text, cell);
    }
    appendUnit(text, kLineFeed);
  }
}

std::string buildPackedText(const ResultsRows& rows, const std::string& starEscape, const std::string& newlineEscape) {
  std::string text;
  for (size_t row = 0; row < rows.size(); ++row) appendPackedRow(text, row, rows[row], starEscape, newlineEscape);
  return text;
}

std::string packResultsFile(std::string_view packedText, const LzmaSettings& settings) {
  // The block is packed straight into its place in the file.
  std::string file;
  size_t blockSize = 0;
  // A text the reader would refuse is not worth a long packing.
  if (static_cast<int64_t>(packedText.size()) <= kMaxUnpackedSize) {
    file.resize(kPackedFrameSize + packedText.size() + kPackingHeadroom);
    blockSize = lzmaPack(packedText.data(), packedText.size(),
                         reinterpret_cast<unsigned char*>(file.data()) + kPackedHeaderSize,
                         packedText.size() + kPackingHeadroom, settings);
  }
  file.resize(kPackedHeaderSize + blockSize);
  const uint32_t crc = blockSize == 0 ? 0 : blockCrc32(std::string_view(file).substr(kPackedHeaderSize));
  std::string header;
  appendField(header, 0xFFFFFFFFu);
  appendField(header, static_cast<uint32_t>(blockSize));
  appendField(header, static_cast<uint32_t>(std::min<size_t>(packedText.size(), std::numeric_limits<int32_t>::max())));
  file.replace(0, kPackedHeaderSize, header);
  appendField(file, crc);
  return file;
}

namespace {

// The header's sizes, checked before anything is allocated: both positive,
// within the limits, and a file long enough to hold the block and its CRC.
// Bytes after the CRC are left unread.
bool sizesAcceptable(int64_t packedSize, int64_t unpackedSize, uint64_t fileLength) {
  if (packedSize <= 0 || unpackedSize <= 0) return false;
  if (static_cast<uint64_t>(packedSize) + kPackedFrameSize > fileLength) return false;
  return unpackedSize <= kMaxUnpackedSize && unpackedSize <= packedSize * kMaxPackingRatio &&
         packedSize <= unpackedSize + static_cast<int64_t>(kPackingHeadroom);
}

std::optional<std::string> unpackBlock(std::string_view block, uint32_t crc, int64_t unpackedSize) {
  // Damaged data never reaches the decoder.
  if (blockCrc32(block) != crc) return std::nullopt;
  std::string text(static_cast<size_t>(unpackedSize), '\0');
  if (!lzmaUnpack(reinterpret_cast<const unsigned char*>(block.data()), block.size(),
                  reinterpret_cast<unsigned char*>(text.data()), text.size())) {
    return std::nullopt;
  }
  return text;
}

}  // namespace

std::optional<std::string> unpackResultsFile(std::string_view fileBytes) {
  if (fileBytes.size() < kPackedFrameSize) return std::nullopt;
  // The -1 field in front is skipped unread.
  const int64_t packedSize = signedFieldAt(fileBytes, 4);
  const int64_t unpackedSize = signedFieldAt(fileBytes, 8);
  if (!sizesAcceptable(packedSize, unpackedSize, fileBytes.size())) return std::nullopt;
  const std::string_view block = fileBytes.substr(kPackedHeaderSize, static_cast<size_t>(packedSize));
  return unpackBlock(block, fieldAt(fileBytes, kPackedHeaderSize + block.size()), unpackedSize);
}

std::optional<std::string> readPackedResultsFile(const std::string& path) try {
  const UniqueFd file = openForReading(path);
  struct stat info;
  if (!file.valid() || fstat(file.get(), &info) != 0 || info.st_size < static_cast<off_t>(kPackedFrameSize)) {
    return std::nullopt;
  }
  // Only the header, the block and its CRC are read, each once.
  std::string header(kPackedHeaderSize, '\0');
  if (!readExactly(file.get(), header.data(), header.size())) return std::nullopt;
  const int64_t packedSize = signedFieldAt(header, 4);
  const int64_t unpackedSize = signedFieldAt(header, 8);
  if (!sizesAcceptable(packedSize, unpackedSize, static_cast<uint64_t>(info.st_size))) return std::nullopt;
  std::string block(static_cast<size_t>(packedSize) + 4, '\0');
  if (!readExactly(file.get(), block.data(), block.size())) return std::nullopt;
  const uint32_t crc = fieldAt(block, static_cast<size_t>(packedSize));
  block.resize(static_cast<size_t>(packedSize));
  return unpackBlock(block, crc, unpackedSize);
} catch (const std::bad_alloc&) {
  return std::nullopt;  // within the limits, but more than this machine has to spare
}

bool writePackedResultsFile(const std::string& path, std::string_view bytes) { return replaceFile(path, bytes); }

bool parseNativeImport(std::string_view packedText, ImportCells& cells, const std::atomic<bool>* stop) {
  const Units text(packedText);
  const size_t count = text.size();
  const size_t mostCells = cells.size() + count / kFewestUnitsPerCell;
  // Room for a cell per token and a byte per unit, as plain ASCII cells take;
  // other texts let the block grow as it goes.
  size_t stars = 1;
  for (size_t i = 0; i < count; ++i) stars += text[i] == kStar;
  cells.reserve(cells.size() + std::min(stars, mostCells - cells.size()), count);
  std::string converted;
  const auto append = [&](size_t begin, size_t end) {
    converted.clear();
    text.appendUtf8Of(converted, begin, end);
    cells.push_back(converted);
  };
  int state = 0;  // 0 for the first token (the marker of row 0, column 0), then 1 to 6 by column
  bool skipRow = false;
  size_t tokens = 0;
  size_t pos = 0;
  for (;;) {
    while (pos < count && text[pos] == kStar) ++pos;  // empty tokens do not count
    if (pos >= count || cells.size() >= mostCells) break;
    if (stop != nullptr && ++tokens % kTokensPerStopCheck == 0 && stop->load(std::memory_order_relaxed)) return true;
    size_t begin = pos;
    while (pos < count && text[pos] != kStar) ++pos;
    size_t end = pos;
    const size_t tokenBegin = begin;
    const size_t tokenEnd = end;

    // The cell text, without the line feed and the next line's marker.
    while (begin < end && text[begin] == kLineFeed) ++begin;
    while (end > begin && text[end - 1] == kLineFeed) --end;
    while (begin < end && text[begin] == kBlank) ++begin;
    while (end > begin && text[end - 1] == kBlank) --end;
    for (size_t i = begin; i < end; ++i) {
      if (text[i] == kLineFeed) {
        end = i;
        break;
      }
    }
    // An empty cell leaves only the next marker, which holds the "-".
    const bool marker = text.contains(begin, end, kDash);
    switch (state) {
      case 0:
        break;
      case 1: {
        const auto trimmed = [&](size_t i) {
          const uint16_t unit = text[i];
          return unit == kLineFeed || unit == kCarriageReturn || unit == kBlank;
        };
        while (begin < end && trimmed(begin)) ++begin;
        while (end > begin && trimmed(end - 1)) --end;
        // A Group cell of blanks alone drops its row too, or its row would
        // give five cells and shift every later one.
        skipRow = marker || begin == end;
        if (skipRow) break;
        // A unit is at least one byte of UTF-8: more units than the longest
        // text has bytes cannot fit.
        if (end - begin > longestCellText(GroupColumn)) return false;
        append(begin, end);
        if (cells[cells.size() - 1].size() > longestCellText(GroupColumn)) return false;
        break;
      }
      case 2: {
        if (skipRow) break;
        // A file name holds no line feed of its own (it went out escaped), so
        // its line ends at the first one: blanks at its ends stay, and an empty
        // name stays empty instead of reading the next line's marker.
        size_t nameEnd = tokenBegin;
        while (nameEnd < tokenEnd && text[nameEnd] != kLineFeed) ++nameEnd;
        if (nameEnd - tokenBegin > kLongestEscapedName) return false;
        if (nameEnd == tokenBegin) {
          cells.push_back("*");
        } else {
          append(tokenBegin, nameEnd);
        }
        break;
      }
      default: {
        if (skipRow) break;
        // An empty Size cell gets the placeholder as the hash cells do, so the
        // row keeps its six cells.
        if (marker || begin == end) {
          cells.push_back("*");
          break;
        }
        const size_t longest = longestCellText(state - 1);
        if (end - begin > longest) return false;
        append(begin, end);
        if (cells[cells.size() - 1].size() > longest) return false;
        break;
      }
    }
    if (state == 6) state = 0;
    ++state;
  }
  return true;
}

bool forEachImportRow(const ImportCells& cells, const std::string& starEscape, const std::string& newlineEscape,
                      const std::function<void(const std::vector<std::string>&)>& take, size_t mostRows) {
  std::vector<std::string> row;
  bool rowAdded = false;  // whether the cells of the current row have a row to go to
  int64_t previousGroup = 0;
  bool anyRow = false;
  size_t rows = 0;
  const auto giveRow = [&] {
    if (rowAdded) take(row);
  };
  for (size_t i = 0; i < cells.size(); ++i) {
    const size_t column = i % kResultsColumnCount;
    const std::string_view cell = cells[i];
    const bool placeholder = isPlaceholder(cell);
    if (column == 0) {
      if (cell.empty()) break;
      giveRow();
      rowAdded = false;
      if (placeholder) continue;
      const int64_t group = parseLeadingInteger(cell);
      if (group == 0 ? anyRow : group != previousGroup && group != previousGroup + 1) {
        return true;
      }
      previousGroup = group;
      if (rows++ == mostRows) return false;
      row.assign(kResultsColumnCount, std::string());
      row[0] = cell;
      rowAdded = anyRow = true;
    } else if (rowAdded && !placeholder) {
      if (column == 1) {
        row[1] = replaceAll(replaceAll(std::string(cell), starEscape, "*"), newlineEscape, "\n");
        if (row[1].size() > longestCellText(FilenameColumn)) return false;
      } else {
        row[column] = cell;
      }
    }
  }
  giveRow();
  return true;
}

std::optional<ResultsRows> rowsFromImportCells(const ImportCells& cells, const std::string& starEscape,
                                               const std::string& newlineEscape) {
  ResultsRows rows;
  if (!forEachImportRow(cells, starEscape, newlineEscape,
                        [&](const std::vector<std::string>& row) { rows.push_back(row); })) {
    return std::nullopt;
  }
  return rows;
}

}  // namespace zandrel
