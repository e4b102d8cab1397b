#pragma once
// The CSV results file: UTF-8 text without byte-order mark, CR LF after every
// line, the header line, then one line per results row: the six cells, each
// in double quotes, separated by commas. A double quote inside a cell is
// doubled and the reader honours quotes, so a cell holding a quote, a comma or
// a line break reads back whole; a file whose cells hold no double quote is
// byte for byte what it always was.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "bridge/results_list.h"

namespace zandrel {

inline constexpr std::string_view kCsvHeader = "Group,Name,Size,MD5,SHA1,CRC32";
// The filter of the CSV open and save dialogs.
inline constexpr const char* kCsvFilter = "CSV (*.csv)|*.csv;";

// The header line that begins the file, CR LF included.
std::string csvHeaderLine();

// One line of the file, CR LF included.
std::string csvLine(const std::vector<std::string>& cells);

// The name with ".csv" added when its last component has no extension: a dot
// counts only when no blank follows it in that component, and any extension,
// whatever it is, is kept.
std::string withCsvExtension(const std::string& path);

// Reads a CSV file record by record from an open descriptor (not owned). A
// record ends at CR, LF or CR LF outside double quotes. A field that begins
// with a quote runs to the quote that closes it, "" standing for one quote;
// text after the closing quote joins the field. Other fields are taken as
// they are. Every byte is content, a NUL byte too.
class CsvReader {
 public:
  explicit CsvReader(int fd) : fd_(fd) {}

  // Skips one line as plain text, quotes or not.
  void skipLine();
  // True when nothing is left to read.
  bool atEnd() { return peek() < 0; }
  enum class Record {
    Read,     // fields hold the record
    End,      // nothing was left
    TooLong,  // a field is longer than its column ever holds: the file is no results file
  };
  // The next record's first six fields, missing ones empty, later ones
  // skipped unkept. A field longer than its column ever holds ends the
  // reading at once, so no line can take all memory.
  Record next(std::vector<std::string>& fields);

 private:
  int peek();
  int take();

  int fd_;
  bool ended_ = false;
  std::vector<char> buffer_ = std::vector<char>(64 * 1024);
  size_t position_ = 0;
  size_t filled_ = 0;
};

}  // namespace zandrel
