#include "cli/Lists.h"

#include "core/text/TextTable.h"

namespace Checker {

void ListOutput::open(std::unique_ptr<Output> output, const char* header, bool plain)
{
    m_output = std::move(output);
    m_header = QString::fromLatin1(header);
    m_plain = plain;
}

void ListOutput::add(const Bytes& plain, const HeldCodes& held)
{
    if (!m_output)
        return;
    if (m_plain) {
        m_output->put(plain);
        return;
    }
    m_views.clear();
    qsizetype begin = 0;
    for (const qsizetype end : held.ends) {
        m_views.emplace_back(held.chars.data() + begin, end - begin);
        begin = end;
    }
    m_items.appendMany(m_views);
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
    if (m_output)
        m_output->commit();
}

} // namespace Checker
