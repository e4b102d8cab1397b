#pragma once
// The packed results file, the program's own way to save the results list:
// every cell as a line of UTF-16LE text, "row-column*text\n", six lines per
// row, packed with LZMA and guarded by a CRC-32. Layout, integers
// little-endian: the field -1, the block's size, the text's size in bytes,
// the LZMA block, the block's CRC-32. File names have "*" and line feeds
// replaced by escape tokens so every line stays one cell.

#include <atomic>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bridge/results_list.h"
#include "results/lzma_packer.h"

namespace zandrel {

// Rows of six texts: Group, Filename, Size, MD5, SHA1, CRC32. A row with
// fewer texts has empty cells at its end.
using ResultsRows = std::vector<std::vector<std::string>>;

// The -1 field, the two sizes in front of the block, and the CRC after it.
inline constexpr size_t kPackedHeaderSize = 12;
inline constexpr size_t kPackedFrameSize = 16;
// The writer gives the packer this much room beyond the text.
inline constexpr size_t kPackingHeadroom = 128;
// Limits of the reader, checked before anything is allocated: a text of at
// most 1 GiB and at most kMaxPackingRatio times its block (LZMA itself never
// packs much beyond 7000 to 1), and a block no longer than the writer can
// make from that text.
inline constexpr int64_t kMaxUnpackedSize = int64_t{1} << 30;
inline constexpr int64_t kMaxPackingRatio = 4096;

// UTF-8 text to UTF-16LE code units and back. Texts are bytes (file names
// may be anything), so a byte that is not part of valid UTF-8 becomes the
// lone surrogate U+DC80 + (byte - 0x80), the place engine/text_order.h gives
// it, and such a surrogate comes back as that byte: every text survives the
// round trip. Other unpaired surrogates read as U+FFFD; an odd last byte is
// dropped.
std::string utf8ToUtf16le(std::string_view text);
std::string utf16leToUtf8(std::string_view units);

// The text of the file for these rows, in UTF-16LE: for row i and column c,
// "i-c*", the cell and a line feed. Before that, the Filename's "*" become
// starEscape and then its line feeds newlineEscape.
std::string buildPackedText(const ResultsRows& rows, const std::string& starEscape, const std::string& newlineEscape);
// Appends the six lines of one row, numbered row, to such a text.
void appendPackedRow(std::string& text, size_t row, const std::vector<std::string>& cells,
                     const std::string& starEscape, const std::string& newlineEscape);

// The bytes of the file that holds this text. When the packing fails the
// block is missing and the packed size and CRC are 0, which the reader refuses.
std::string packResultsFile(std::string_view packedText, const LzmaSettings& settings = {});

// The text held in a file's bytes, or nothing when the file is refused: the
// sizes must be positive, within the limits above and leave room in the file
// for the block and its CRC (what follows the CRC is not looked at), the
// CRC-32 must match the block, and the block must unpack to exactly the text
// size, its stream ending there with or without an end marker.
std::optional<std::string> unpackResultsFile(std::string_view fileBytes);

// Reads and unpacks a file; nothing when it cannot be read or is refused.
// Only the header is read before its sizes are checked.
std::optional<std::string> readPackedResultsFile(const std::string& path);

// Replaces the file of that name, or makes it, as engine/file_replace.h does;
// false when the bytes could not all be put in place, an old file then kept.
bool writePackedResultsFile(const std::string& path, std::string_view bytes);

// Cells in file order, kept end to end in one block of text: a few bytes a
// cell beyond the text itself, where a string each would cost many times that.
class ImportCells {
 public:
  ImportCells() = default;
  ImportCells(std::initializer_list<std::string_view> cells) {
    for (std::string_view cell : cells) push_back(cell);
  }
  void push_back(std::string_view cell) {
    text_.append(cell);
    ends_.push_back(text_.size());
  }
  // Room for this many cells of this many bytes in all, taken from the system
  // only as it is filled.
  void reserve(size_t cells, size_t bytes) {
    ends_.reserve(cells);
    text_.reserve(bytes);
  }
  size_t size() const { return ends_.size(); }
  bool empty() const { return ends_.empty(); }
  std::string_view operator[](size_t i) const {
    const size_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(text_).substr(begin, ends_[i] - begin);
  }
  // Empties the list and gives its memory back.
  void clear() {
    std::string().swap(text_);
    std::vector<size_t>().swap(ends_);
  }

 private:
  std::string text_;
  std::vector<size_t> ends_;
};

// Splits the packed text (UTF-16LE) into the cells of its lines, in order,
// and appends them to cells: every row gives six entries, an empty cell the
// placeholder "*", and a row whose Group cell is empty none. The other cells
// lose the blanks in front (the Group cell its blanks and carriage returns at
// both ends), but a file name is taken whole up to its line feed.
// A Size, MD5, SHA1 or CRC32 text holding "-" reads as empty. Which row and
// column a line names is not read: cells count in file order. File names keep
// their escape tokens. Ends early, leaving a partial list, once stop becomes
// true, and at more cells than a fourth of the text's code units (no export
// packs them that close). False, at once, for a cell longer than its column
// ever holds (results/results_columns.h; a file name as long as its escape tokens
// can make it): the file is to be refused.
bool parseNativeImport(std::string_view packedText, ImportCells& cells, const std::atomic<bool>* stop = nullptr);

// Gives each row that the parsed cells make to take, in order, six cells a
// row: placeholders become empty cells and the Filename's escape tokens are
// undone (starEscape back to "*", then newlineEscape to a line feed). The
// rows end at an empty Group cell, and at a row whose group number is neither
// the previous row's, the next one nor 0, or is 0 after the first row.
// False when a file name, its tokens undone, is longer than the longest path,
// and at a row beyond the first mostRows, which is not given; the rows before
// have been given by then.
bool forEachImportRow(const ImportCells& cells, const std::string& starEscape, const std::string& newlineEscape,
                      const std::function<void(const std::vector<std::string>&)>& take,
                      size_t mostRows = SIZE_MAX);

// The rows of forEachImportRow in one list; nothing when it refuses them.
std::optional<ResultsRows> rowsFromImportCells(const ImportCells& cells, const std::string& starEscape,
                                               const std::string& newlineEscape);

}  // namespace zandrel
