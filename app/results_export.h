#pragma once

namespace zandrel {

// The packed export of ResultsList: asks for a file name (offering
// lastExportPath), remembers it in lastExportPath and writes every row, in
// list order and as shown, to the packed results file. Nothing happens
// without rows or when the dialog is cancelled. The file is replaced only
// whole (engine/file_replace.h); when it cannot be, the error box says
// "Couldn't save the file" and an old file stays as it was. Success shows
// nothing.
void exportResults();

}  // namespace zandrel
