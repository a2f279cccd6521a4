#include "cli/Lists.h"

#include "core/text/TextTable.h"

#include <algorithm>
#include <functional>
#include <utility>

namespace Checker {

void ListOutput::open(std::unique_ptr<Output> output, const char* header, bool plain)
{
    m_output = std::move(output);
    m_header = QString::fromLatin1(header);
    m_plain = plain;
}

void ListOutput::add(const Bytes& plain, HeldCodes& held)
{
    if (m_sheet) {
        for (size_t k = 0; k < held.size(); ++k) {
            const ItemText code = held[k];
            if (code.isLatin1()) {
                m_text = code.latin1();
                m_sheet->add(m_text);
            } else {
                m_sheet->add(code.utf16());
            }
        }
        held.clear();
        return;
    }
    if (!m_output)
        return;
    if (m_plain) {
        m_output->put(plain);
        return;
    }
    if (held.size() == 0)
        return;
    m_count += qsizetype(held.size());
    m_held.push_back(std::exchange(held, HeldCodes{}));
}

namespace {

// A table output that puts its UTF-8 (the system's encoding) after `to`.
TextTable::TableOutput into(Bytes& to)
{
    return TextTable::TableOutput(
        [&to](QByteArrayView block) { to.put(block.data(), size_t(block.size())); });
}

} // namespace

void ListOutput::finish(Pipeline& pipeline)
{
    if (!m_output)
        return;
    if (m_plain) {
        m_output->flush();
        return;
    }
    // The padded table, as "Save Results As Text File" writes it: the width
    // of every code, the header line, then the lines of each block's codes,
    // a few blocks at a time side by side, rendered straight into bytes.
    qsizetype longest = 0;
    for (const HeldCodes& held : m_held)
        longest = std::max(longest, held.longest);
    const qsizetype width = TextTable::fileColumnWidth(m_header, longest);
    Bytes header;
    {
        TextTable::ColumnSource source(m_header, 0, {});
        TextTable::TableOutput out = into(header);
        TextTable::writeLines(source, TextTable::Layout::File, {width}, out);
        out.flush();
    }
    m_output->put(header);

    // While one group of blocks is written, the workers render the next.
    constexpr size_t Together = 8;
    std::vector<Bytes> rendered(2 * Together);
    std::vector<std::function<void()>> tasks;
    Pipeline::Tasks started;
    auto render = [&](size_t first) {
        tasks.clear();
        for (size_t k = first; k < std::min(first + Together, m_held.size()); ++k) {
            tasks.emplace_back([&, k] {
                const HeldCodes& held = m_held[k];
                Bytes& to = rendered[k % (2 * Together)];
                to.clear();
                TextTable::TableOutput out = into(to);
                TextTable::writeColumnLines(
                    qsizetype(held.size()), [&held](qsizetype i) { return held[size_t(i)]; }, width,
                    out);
                out.flush();
            });
        }
        pipeline.startAll(started, tasks);
    };
    render(0);
    for (size_t first = 0; first < m_held.size(); first += Together) {
        pipeline.waitAll(started);
        if (first + Together < m_held.size())
            render(first + Together);
        for (size_t k = first; k < std::min(first + Together, m_held.size()); ++k)
            m_output->put(rendered[k % (2 * Together)]);
    }
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
