#pragma once

namespace zandrel {

// The CSV export of ResultsList: asks for a file name (offering
// lastExportPath), adds ".csv" to a name without extension, remembers the
// name in lastExportPath and writes the file. Nothing happens without rows or
// when the dialog is cancelled; a file that cannot be written is not reported.
void exportCsvResults();

}  // namespace zandrel
