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

// The padded list as a table source of one column: its items, read in order.
class HeldSource
{
public:
    HeldSource(const QStringList& headers, const HeldCodes* held, qsizetype count)
        : m_headers(headers), m_held(held), m_count(count)
    {}

    int columns() const { return int(m_headers.size()); }
    qsizetype items() const { return m_count; }
    QStringView header(int c) const { return m_headers.at(c - 1); }
    ItemText cell(qsizetype i, int c)
    {
        if (c != 1 || i < 1 || i > m_count)
            throw Failure(QStringLiteral("Subscript out of range"));
        // Mostly the item after the last one read, or the same.
        if (i < m_first + 1) {
            m_block = 0;
            m_first = 0;
        }
        while (i > m_first + qsizetype(m_held[m_block].size())) {
            m_first += qsizetype(m_held[m_block].size());
            ++m_block;
        }
        return m_held[m_block][size_t(i - m_first - 1)];
    }
    bool checked(qsizetype) const { return true; }

private:
    const QStringList& m_headers;
    const HeldCodes* m_held;
    qsizetype m_count;
    size_t m_block = 0;    // the block of the last item read
    qsizetype m_first = 0; // the items before it
};

// The table's lines of the codes `held` (all of them, or none: the header
// line alone), in UTF-8 (the system's encoding), less their first `skip`
// bytes, after `to`.
void renderLines(const QStringList& headers, const HeldCodes* held, const TextTable::Widths& widths,
                 Bytes& to, size_t skip)
{
    HeldSource source(headers, held, held != nullptr ? qsizetype(held->size()) : 0);
    TextTable::Output out([&to, &skip](QByteArrayView block) {
        const size_t dropped = std::min(skip, size_t(block.size()));
        skip -= dropped;
        to.put(block.data() + dropped, size_t(block.size()) - dropped);
    });
    TextTable::writeLines(
        source, TextTable::Layout::File, widths, out, [] {}, TextTable::PassFailuresOn{});
    out.flush();
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
    // The padded table, as "Save Results As Text File" writes it: the widths
    // of every code, the header line, then the lines of each block's codes,
    // a few blocks at a time side by side, each rendered straight into bytes
    // as a table of its own less its header line.
    const QStringList headers{m_header};
    HeldSource all(headers, m_held.data(), m_count);
    const TextTable::Widths widths = TextTable::measureWidths(
        all, TextTable::Layout::File, [] {}, TextTable::PassFailuresOn{});
    Bytes header;
    renderLines(headers, nullptr, widths, header, 0);
    m_output->put(header);

    constexpr size_t Together = 8;
    std::vector<Bytes> rendered(Together);
    std::vector<std::function<void()>> tasks;
    for (size_t first = 0; first < m_held.size(); first += Together) {
        const size_t count = std::min(Together, m_held.size() - first);
        tasks.clear();
        for (size_t k = 0; k < count; ++k) {
            tasks.emplace_back([&, k] {
                rendered[k].clear();
                renderLines(headers, &m_held[first + k], widths, rendered[k], header.size());
            });
        }
        pipeline.runAll(tasks);
        for (size_t k = 0; k < count; ++k)
            m_output->put(rendered[k]);
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
