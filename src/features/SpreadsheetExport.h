#pragma once

class Host;

// "Save Results As Excel File": a result list into a new, unsaved workbook of
// the spreadsheet application, left visible for the user to keep or discard.
namespace SpreadsheetExport {

// Under the valid list (PushButton13) and under the invalid list (PushButton7).
void exportValidList(Host& host);
void exportInvalidList(Host& host);

// Whether the spreadsheet application can be started; if not, says so.
bool SaveResultsAsExcelFileIsExcelInstalled(Host& host);

} // namespace SpreadsheetExport
