#pragma once
// Saving ResultsList to a file the user names: the packed results file (the
// Export button) and the CSV file (the Export drop-down's "CSV"). Both write
// every row in list order and as shown, and share lastExportPath as the name
// their dialog offers and remembers.

namespace zandrel {

// The packed export of ResultsList: asks for a file name (offering
// lastExportPath), remembers it in lastExportPath and writes every row, in
// list order and as shown, to the packed results file. Nothing happens
// without rows or when the dialog is cancelled. The file is replaced only
// whole (engine/file_replace.h); when it cannot be, or the text or its
// packing finds no memory, the error box says "Couldn't save the file", an
// old file stays as it was and no temporary file is left. Success shows
// nothing.
void exportResults();

// The CSV export of ResultsList: asks for a file name (offering
// lastExportPath), adds ".csv" to a name without extension, remembers the
// name in lastExportPath and writes the file. Nothing happens without rows or
// when the dialog is cancelled. A file that cannot be written whole, or a
// text that finds no memory, gives the error box "Couldn't save the file" and
// an old file stays as it was; success shows nothing.
void exportCsvResults();

}  // namespace zandrel
