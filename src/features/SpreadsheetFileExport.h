#pragma once

#include <QString>

class Host;
class ListModel;

// "Save As Spreadsheet File…" in the valid and invalid lists' menus: the save
// dialog, then the list's column header and its ticked items, one a row, as
// an Excel workbook or a CSV file (core/files/SpreadsheetFile), chosen by the
// file's extension. A name ending in neither gets ".xlsx"; a file of that name
// that is already there is kept, since the dialog never asked about it.
// Nothing happens while the busy pointer shows; a failure is told in a
// message and leaves any file of that name as it was.
namespace SpreadsheetFileExport {

// The save dialog's title and filter: the workbook first.
inline const QString DialogTitle = QStringLiteral("Save As Spreadsheet File");
inline const QString Filter =
    QStringLiteral("Excel Workbook (*.xlsx)|*.xlsx|CSV, UTF-8, comma-separated (*.csv)|*.csv|");

void saveList(Host& host, const ListModel& list);

} // namespace SpreadsheetFileExport
