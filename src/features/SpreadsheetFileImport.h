#pragma once

#include "features/TextFileImport.h"

#include <QString>

class Host;

namespace SpreadsheetFileImport {

// How long the spreadsheet application may take to read a document before it
// is stopped, and how many bytes the members of a zipped document may say
// they unpack to; tests take small ones.
struct DocumentLimits
{
    int milliseconds = 120000;
    quint64 unpackedBytes = quint64(1) << 30;
};

// "Load Codes From Spreadsheet File…" on the code list's menu: a CSV or TSV
// file, or the first sheet of an .xlsx or .ods one (through the spreadsheet
// reader); the column chooser proposes the column most like codes and a header
// row to leave out, and the chosen column's cells that are not empty are
// appended. The file is read as "Load UPCs From Text File" reads; refused
// while busy. The application reads on a thread of its own while the window
// takes its paced turns under the busy pointer. Each failure is told in a
// message; cells appended before it stay.
void loadCodesFromSpreadsheetFile(Host& host, const TextFileImport::Limits& limits = {},
                                  const DocumentLimits& document = {});

} // namespace SpreadsheetFileImport
