#pragma once

#include <QString>

// Reads .xlsx and .ods documents through the spreadsheet application.
class SpreadsheetReader
{
public:
    virtual ~SpreadsheetReader() = default;
    // Writes the first sheet of `document` to `csvPath` as UTF-8 CSV, cells as
    // shown; the document is opened hidden and read-only, and an application
    // started for it is ended. Throws Failure with the reason when it cannot.
    virtual void saveFirstSheetAsCsv(const QString& document, const QString& csvPath) = 0;
    // From another thread while saveFirstSheetAsCsv runs: ends the application
    // started for it, whose reading then fails soon. One the user runs is
    // left alone.
    virtual void stopReading() noexcept {}
};
