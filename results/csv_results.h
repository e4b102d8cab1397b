#pragma once
// The CSV results file on the results list: writing the rows out, and the
// import that replaces them with a file's rows.

#include <string>

namespace zandrel {

// Writes the header and every row of ResultsList, in list order and as shown,
// to the file, replacing an old one as engine/file_replace.h does; false when
// the text could not all be put in place, an old file then kept.
bool writeCsvResults(const std::string& path);

// Replaces the rows of ResultsList with the records of a CSV file, all
// unchecked; the first line is skipped whatever it holds. An empty path asks
// for the file. A cancelled dialog or a path that is not a readable regular
// file changes nothing and shows nothing; a file with a cell longer than its
// column ever holds is refused with "Couldn't import file" and changes
// nothing either. While it reads, ImportWindow is shown and one pending
// window event is dropped per record: the import cannot be stopped.
void importCsvResults(const std::string& path);

}  // namespace zandrel
