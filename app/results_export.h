#pragma once

namespace zandrel {

// The packed export of ResultsList: asks for a file name (offering
// lastExportPath), remembers it in lastExportPath and writes every row, in
// list order and as shown, to the packed results file. Nothing happens
// without rows or when the dialog is cancelled; a file that cannot be written
// is not reported.
void exportResults();

}  // namespace zandrel
