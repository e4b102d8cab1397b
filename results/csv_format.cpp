#include "results/csv_format.h"

#include "engine/file_io.h"
#include "results/results_columns.h"

namespace zandrel {

std::string csvHeaderLine() { return std::string(kCsvHeader) + "\r\n"; }

std::string csvLine(const std::vector<std::string>& cells) {
  std::string line;
  for (size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) line += ',';
    line += '"';
    for (const char c : cells[i]) {
      if (c == '"') line += '"';
      line += c;
    }
    line += '"';
  }
  line += "\r\n";
  return line;
}

std::string withCsvExtension(const std::string& path) {
  const size_t slash = path.rfind('/');
  bool hasExtension = false;
  for (size_t i = slash == std::string::npos ? 0 : slash + 1; i < path.size(); ++i) {
    if (path[i] == '.') hasExtension = true;
    if (path[i] == ' ') hasExtension = false;
  }
  return hasExtension ? path : path + ".csv";
}

int CsvReader::peek() {
  if (ended_) return -1;
  if (position_ == filled_) {
    const ssize_t got = readSome(fd_, buffer_.data(), buffer_.size());
    if (got <= 0) {
      ended_ = true;
      return -1;
    }
    position_ = 0;
    filled_ = static_cast<size_t>(got);
  }
  return static_cast<unsigned char>(buffer_[position_]);
}

int CsvReader::take() {
  const int c = peek();
  if (c >= 0) ++position_;
  return c;
}

void CsvReader::skipLine() {
  for (int c = take(); c >= 0; c = take()) {
    if (c == '\n') return;
    if (c == '\r') {
      if (peek() == '\n') take();
      return;
    }
  }
}

CsvReader::Record CsvReader::next(std::vector<std::string>& fields) {
  fields.assign(kResultsColumnCount, std::string());
  if (atEnd()) return Record::End;
  enum class Place { FieldStart, Plain, Quoted, QuoteInQuoted };
  Place place = Place::FieldStart;
  size_t field = 0;
  // False once the field outgrows its column.
  auto keep = [&](char c) {
    if (field >= kResultsColumnCount) return true;
    if (fields[field].size() == longestCellText(field)) return false;
    fields[field] += c;
    return true;
  };
  for (int c = take(); c >= 0; c = take()) {
    if (place == Place::Quoted) {
      if (c == '"') {
        place = Place::QuoteInQuoted;
      } else if (!keep(static_cast<char>(c))) {
        return Record::TooLong;
      }
      continue;
    }
    if (place == Place::QuoteInQuoted) {
      if (c == '"') {
        if (!keep('"')) return Record::TooLong;
        place = Place::Quoted;
        continue;
      }
      place = Place::Plain;  // the quote closed the field
    }
    if (c == ',') {
      ++field;
      place = Place::FieldStart;
    } else if (c == '\n') {
      break;
    } else if (c == '\r') {
      if (peek() == '\n') take();
      break;
    } else if (c == '"' && place == Place::FieldStart) {
      place = Place::Quoted;
    } else {
      place = Place::Plain;
      if (!keep(static_cast<char>(c))) return Record::TooLong;
    }
  }
  return Record::Read;
}

}  // namespace zandrel
