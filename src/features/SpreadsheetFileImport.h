#pragma once

#include "features/TextFileImport.h"

#include <QString>

class Host;

namespace SpreadsheetFileImport {

// "Load Codes From Spreadsheet File…" on the code list's menu: the open
// dialog, one file; a CSV or TSV file read as DelimitedText reads it, an
// .xlsx or .ods file through the spreadsheet reader (first sheet, cells as
// shown). The column chooser shows the first rows with the column whose
// cells look most like codes, and a header row to leave out, proposed; the
// chosen column's cells that are not empty are appended to the code list.
//
// The file is read under the busy pointer, and in its pieces the window
// handles its events as during "Load UPCs From Text File", with the same
// bound on a line (here a field). Refused while the busy pointer shows. A
// file that cannot be read, one without a column like codes, and a document
// without the spreadsheet application are each told in a message; the cells
// appended before a failure stay.
void loadCodesFromSpreadsheetFile(Host& host, const TextFileImport::Limits& limits = {});

} // namespace SpreadsheetFileImport
