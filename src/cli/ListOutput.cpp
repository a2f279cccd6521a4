#include "cli/ListOutput.h"

#include "core/text/TextTable.h"

#include <utility>

namespace Checker {

void ListOutput::open(std::unique_ptr<OutputWriter> writer, const char* header, bool plain)
{
    m_writer = std::move(writer);
    m_header = QString::fromLatin1(header);
    m_plain = plain;
}

void ListOutput::add(const ItemText& code)
{
    if (m_plain)
        m_writer->line(code);
    else if (m_sheet)
        m_sheet->add(code);
    else if (m_writer)
        m_held.append(code);
}

void ListOutput::finish()
{
    if (!m_writer)
        return;
    // The padded table, as "Save Results As Text File" writes it.
    if (!m_plain) {
        TextTable::writeTable(TextTable::Layout::File, {m_header}, m_held,
                              [this](QByteArrayView block) { m_writer->put(block); });
        m_held.clear();
    }
    m_writer->flush();
}

void ListOutput::commit()
{
    if (m_sheet)
        m_sheet->commit();
    if (m_writer)
        m_writer->commit();
}

} // namespace Checker
