#include "cli/Lists.h"

#include "core/text/TextTable.h"

namespace Checker {

void ListOutput::open(std::unique_ptr<Output> output, const char* header, bool plain)
{
    m_output = std::move(output);
    m_header = QString::fromLatin1(header);
    m_plain = plain;
}

void ListOutput::addHeld(QLatin1StringView code)
{
    m_scratch = code;
    addHeld(QStringView(m_scratch));
}

void ListOutput::addHeld(QStringView code)
{
    m_items.append(code);
}

void ListOutput::finish()
{
    if (!m_output)
        return;
    // The padded table, as "Save Results As Text File" writes it.
    if (!m_plain)
        TextTable::writeTable(TextTable::Layout::File, {m_header}, m_items,
                              [this](QStringView block) { m_output->text(block); });
    m_output->flush();
}

void ListOutput::commit()
{
    if (m_sheet)
        m_sheet->commit();
    if (m_output)
        m_output->commit();
}

} // namespace Checker
