#pragma once

#include "core/files/SpreadsheetFile.h"
#include "core/list/ItemText.h"

#include <QString>
#include <memory>

namespace Checker {

// One of the two lists written as a spreadsheet file (--format=csv or xlsx):
// the header, then each code as it comes, one a row. Its failures throw
// OutputFailure naming the output.
class SpreadsheetList
{
public:
    // Opens the output, touching nothing at its target yet (an Excel workbook
    // is refused for a terminal: its bytes are binary).
    SpreadsheetList(SpreadsheetFile::Format format, const QString& path, int out,
                    const char* header);
    ~SpreadsheetList();
    SpreadsheetList(const SpreadsheetList&) = delete;
    SpreadsheetList& operator=(const SpreadsheetList&) = delete;

    void add(const ItemText& code);
    // Puts the file in the target's place.
    void commit();

private:
    QString m_name;
    std::unique_ptr<SpreadsheetFile> m_file;
    QString m_text; // a code held as Latin-1, widened
};

} // namespace Checker
