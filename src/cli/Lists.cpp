#include "cli/Lists.h"

#include "core/text/TextTable.h"

#include <algorithm>

namespace Checker {

namespace {

// The padded table of a list, line by line as the text export writes it.
void writePadded(Output& out, const QString& header, const ItemStore& items, qsizetype width)
{
    width = std::max(width, header.size());
    QString line;
    auto writeLine = [&] {
        out.text(line);
        out.put("\r\n");
    };
    TextTable::appendCell(line, header, width);
    writeLine();
    for (QStringView item : items.texts()) {
        line.truncate(0);
        TextTable::appendCell(line, item, width);
        writeLine();
    }
}

} // namespace

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
    m_width = std::max(m_width, code.size());
}

void ListOutput::finish()
{
    if (!m_output)
        return;
    if (!m_plain)
        writePadded(*m_output, m_header, m_items, m_width);
    m_output->flush();
}

void ListOutput::commit()
{
    if (m_output)
        m_output->commit();
}

} // namespace Checker
