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
        quint32 begin = 0;
        for (const quint32 end : held.ends) {
            m_sheet->add(QStringView(held.chars.data() + begin, qsizetype(end - begin)));
            begin = end;
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
    if (held.ends.empty())
        return;
    m_count += qsizetype(held.ends.size());
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
    QStringView cell(qsizetype i, int c)
    {
        if (c != 1 || i < 1 || i > m_count)
            throw Failure(QStringLiteral("Subscript out of range"));
        // Mostly the item after the last one read, or the same.
        if (i < m_first + 1) {
            m_block = 0;
            m_first = 0;
        }
        while (i > m_first + qsizetype(m_held[m_block].ends.size())) {
            m_first += qsizetype(m_held[m_block].ends.size());
            ++m_block;
        }
        const HeldCodes& codes = m_held[m_block];
        const size_t k = size_t(i - m_first - 1);
        const quint32 begin = k == 0 ? 0 : codes.ends[k - 1];
        return QStringView(codes.chars.data() + begin, qsizetype(codes.ends[k] - begin));
    }
    bool checked(qsizetype) const { return true; }

private:
    const QStringList& m_headers;
    const HeldCodes* m_held;
    qsizetype m_count;
    size_t m_block = 0;    // the block of the last item read
    qsizetype m_first = 0; // the items before it
};

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
    // a few blocks at a time side by side, each rendered as a table of its
    // own less its header line.
    const QStringList headers{m_header};
    const auto walk = [&headers](const HeldCodes* held, qsizetype count,
                                 const TextTable::Widths& widths, TextTable::Output& out) {
        HeldSource source(headers, held, count);
        TextTable::writeLines(
            source, TextTable::Layout::File, widths, out, [] {}, TextTable::PassFailuresOn{});
    };
    HeldSource all(headers, m_held.data(), m_count);
    const TextTable::Widths widths = TextTable::measureWidths(
        all, TextTable::Layout::File, [] {}, TextTable::PassFailuresOn{});
    TextTable::Output header;
    walk(nullptr, 0, widths, header);
    const qsizetype headerEnd = header.text().size();
    m_output->text(header.text());

    constexpr size_t Together = 8;
    std::vector<Bytes> rendered(Together);
    std::vector<std::function<void()>> tasks;
    for (size_t first = 0; first < m_held.size(); first += Together) {
        const size_t count = std::min(Together, m_held.size() - first);
        tasks.clear();
        for (size_t k = 0; k < count; ++k) {
            tasks.emplace_back([&, k] {
                const HeldCodes& held = m_held[first + k];
                TextTable::Output lines;
                walk(&held, qsizetype(held.ends.size()), widths, lines);
                rendered[k].clear();
                rendered[k].text(QStringView(lines.text()).sliced(headerEnd));
            });
        }
        pipeline.runAll(tasks);
        for (size_t k = 0; k < count; ++k)
            m_output->put(rendered[k]);
    }
    m_output->flush();
}

void ListOutput::sync()
{
    if (m_output)
        m_output->sync();
}

void ListOutput::commit()
{
    if (m_sheet)
        m_sheet->commit();
    if (m_output)
        m_output->commit();
}

} // namespace Checker
