#pragma once

#include "cli/Output.h"
#include "cli/SpreadsheetLists.h"
#include "core/list/ItemStore.h"

#include <QLatin1StringView>
#include <QString>
#include <memory>

namespace Checker {

// One of the two lists of codes, when it is written: plain, one code per
// line as the codes come, or padded as the window's text export, held until
// the end since its width depends on every code; or as a spreadsheet file.
class ListOutput
{
public:
    // Nothing is written until it is opened.
    void open(std::unique_ptr<Output> output, const char* header, bool plain);
    void open(std::unique_ptr<SpreadsheetList> sheet) { m_sheet = std::move(sheet); }

    void add(QLatin1StringView code)
    {
        if (m_plain)
            m_output->line(code.data(), size_t(code.size()));
        else if (m_sheet)
            m_sheet->add(code);
        else if (m_output)
            addHeld(code);
    }
    void add(QStringView code)
    {
        if (m_plain) {
            m_output->text(code);
            m_output->put('\n');
        } else if (m_sheet) {
            m_sheet->add(code);
        } else if (m_output) {
            addHeld(code);
        }
    }

    // Writes what is still held (the padded table) and flushes.
    void finish();
    void commit();

private:
    void addHeld(QLatin1StringView code);
    void addHeld(QStringView code);

    std::unique_ptr<Output> m_output;
    std::unique_ptr<SpreadsheetList> m_sheet;
    QString m_header;
    bool m_plain = false;
    ItemStore m_items; // the padded list: the store the window's lists use
    QString m_scratch; // reused, so a code of bytes costs no allocation
};

} // namespace Checker
