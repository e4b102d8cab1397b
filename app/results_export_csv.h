#pragma once

namespace zandrel {

// The CSV export of ResultsList: asks for a file name (offering
// lastExportPath), adds ".csv" to a name without extension, remembers the
// name in lastExportPath and writes the file. Nothing happens without rows or
// when the dialog is cancelled. A file that cannot be written whole gives the
// error box "Couldn't save the file" and an old file stays as it was; success
// shows nothing.
void exportCsvResults();

}  // namespace zandrel
