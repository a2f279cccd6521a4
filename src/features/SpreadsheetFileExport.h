#pragma once

class Host;
class ListModel;

// "Save As Spreadsheet File…" in the valid and invalid lists' menus: the list's
// header and ticked items, one a row, as an Excel workbook or a CSV file, by
// the name's extension. A name ending in neither gets ".xlsx", and a file of
// that name already there is kept: the dialog never asked about it. Nothing
// happens while busy; a failure is told and leaves any file as it was.
namespace SpreadsheetFileExport {

void saveList(Host& host, const ListModel& list);

} // namespace SpreadsheetFileExport
