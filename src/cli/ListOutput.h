#pragma once

#include "cli/OutputWriter.h"
#include "core/files/SpreadsheetFile.h"
#include "core/list/HeldText.h"
#include "core/list/ItemStore.h"

#include <QString>
#include <memory>

namespace Checker {

// One of the two lists of codes, when it is written: plain, one code per
// line as the codes come; padded as the window's text export writes it (its
// table), held until the end since its width depends on every code; or as a
// spreadsheet file (--format=csv or xlsx), the header and then a row for each
// code as the codes come. Its failures throw OutputFailure naming the output.
class ListOutput
{
public:
    // Nothing is written until it is opened; nothing touches the target
    // until commit().
    void open(std::unique_ptr<OutputWriter> writer, const char* header, bool plain);
    // An Excel workbook is refused for a terminal: its bytes are binary.
    void open(SpreadsheetFile::Format format, const QString& path, int out, const char* header);

    void add(const HeldText& code);

    // Writes what is still held (the padded table, the workbook) and flushes.
    void finish();
    // Puts the file in the target's place.
    void commit();

private:
    std::unique_ptr<OutputWriter> m_writer;
    std::unique_ptr<SpreadsheetFile> m_sheet;
    QString m_name;   // of the spreadsheet file
    QString m_header; // of the padded table
    bool m_plain = false;
    ItemStore m_held; // the padded table's codes
    QString m_text;   // a code held as Latin-1, widened for the spreadsheet file
};

} // namespace Checker
