#pragma once

#include <QString>

// Reads spreadsheet documents (.xlsx, .ods) through the spreadsheet
// application.
class SpreadsheetReader
{
public:
    virtual ~SpreadsheetReader() = default;
    // Writes the first sheet of `document` to `csvPath` as comma-separated
    // UTF-8 text, every cell as the sheet shows it. The document is opened
    // hidden and read-only and closed again; an application started for it
    // is ended. Throws Failure with the reason, as the application or the
    // platform words it, when it cannot (the application not installed, a
    // document it cannot open).
    virtual void saveFirstSheetAsCsv(const QString& document, const QString& csvPath) = 0;
};
