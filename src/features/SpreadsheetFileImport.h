#pragma once

#include "features/TextFileImport.h"

#include <QString>

class Host;

namespace SpreadsheetFileImport {

// "Load Codes From Spreadsheet File…" on the code list's menu: a CSV or TSV
// file, or the first sheet of an .xlsx or .ods one (through the spreadsheet
// reader); the column chooser proposes the column most like codes and a header
// row to leave out, and the chosen column's cells that are not empty are
// appended. The file is read as "Load UPCs From Text File" reads; refused
// while busy. Each failure is told in a message; cells appended before it stay.
void loadCodesFromSpreadsheetFile(Host& host, const TextFileImport::Limits& limits = {});

} // namespace SpreadsheetFileImport
