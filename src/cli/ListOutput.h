#pragma once

#include "cli/OutputWriter.h"
#include "cli/SpreadsheetList.h"
#include "core/list/ItemStore.h"
#include "core/list/ItemText.h"

#include <QString>
#include <memory>

namespace Checker {

// One of the two lists of codes, when it is written: plain, one code per
// line as the codes come; padded as the window's text export writes it (its
// table), held until the end since its width depends on every code; or as a
// spreadsheet file, a row for each code as the codes come.
class ListOutput
{
public:
    // Nothing is written until it is opened.
    void open(std::unique_ptr<OutputWriter> writer, const char* header, bool plain);
    void open(std::unique_ptr<SpreadsheetList> sheet) { m_sheet = std::move(sheet); }

    void add(const ItemText& code);

    // Writes what is still held (the padded table) and flushes.
    void finish();
    void commit();

private:
    std::unique_ptr<OutputWriter> m_writer;
    std::unique_ptr<SpreadsheetList> m_sheet;
    QString m_header;
    bool m_plain = false;
    ItemStore m_held; // the padded list's codes
};

} // namespace Checker
