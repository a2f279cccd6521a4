#include "core/text/TextTable.h"

#include "core/base/Failure.h"
#include "core/base/PacedYield.h"

#include <algorithm>

namespace TextTable {

namespace {

// The most items of a quiet stretch: measured, and written.
constexpr qsizetype MeasureStretchItems = 1024;
constexpr qsizetype WriteStretchItems = 512;
// The most text a quiet stretch writes, so that the window is not kept waiting.
constexpr qsizetype WriteStretchUnits = qsizetype(64) * 1024;

// The phases of a cell of a line.
struct CellPhases
{
    Phase fits, pad, append;
};
constexpr CellPhases HeaderCell{Phase::HeaderFits, Phase::PadHeader, Phase::AppendHeader};
constexpr CellPhases ItemCell{Phase::CellFits, Phase::PadCell, Phase::AppendCell};

// How the writing of an item's line ended.
enum class Row
{
    Done,    // written, or not checked
    Gone,    // the item has gone: the walk ends
    Refused, // the line could not be written
};

// One walk over a source: the widths, or the lines.
template <typename Source> class Walk
{
public:
    Walk(Source& source, Layout layout, PacedYield* pace, const FailureReport& report)
        : m_source(source), m_layout(layout), m_pace(pace), m_report(report)
    {}

    Widths measureWidths()
    {
        Widths widths;
        const int columns = value(At{Phase::MeasureColumns}, 0, [&] { return m_source.columns(); });
        for (int c = 1; c <= columns; ++c) {
            const qsizetype w = measureColumn(c);
            step(At{Phase::KeepWidth, c}, [&] { widths.push_back(w); });
        }
        return widths;
    }

    bool writeLines(const Widths& widths, TableOutput& out)
    {
        m_widths = &widths;
        m_out = &out;
        return (m_layout != Layout::File || writeHeaderLine()) && writeItemLines();
    }

private:
    // The lines of the checked items.
    bool writeItemLines()
    {
        const qsizetype items =
            value(At{Phase::RowItems}, qsizetype(0), [&] { return m_source.items(); });
        m_out->reserveLines(items, *m_widths);
        for (qsizetype i = 1; i <= items; ++i) {
            writeQuietLines(i, items);
            if (i > items)
                break;
            const Row row = writeRow(i);
            if (row != Row::Done)
                return row == Row::Gone;
        }
        return true;
    }

    template <typename T, typename Body> T value(At at, T fallback, Body&& body)
    {
        if (!m_report)
            return body();
        try {
            return body();
        } catch (...) {
            m_report(at);
            return fallback;
        }
    }
    template <typename Body> void step(At at, Body&& body)
    {
        value(at, 0, [&] {
            body();
            return 0;
        });
    }
    void yieldAt(At at)
    {
        if (m_pace)
            step(at, *m_pace);
    }
    bool gone(qsizetype i) const { return i > m_source.items(); }
    qsizetype width(int c) const
    {
        if (c < 1 || size_t(c) > m_widths->size())
            throw Failure(QLatin1String(FailureText::SubscriptOutOfRange));
        return (*m_widths)[size_t(c - 1)];
    }

    // The quick way's rule: the last item of the quiet stretch from `from` (at
    // most `stretch` of the first `items`, each with `yieldPoints` yield points
    // that count as passed), where the window will not run and so every read
    // succeeds; `from - 1` when there is none.
    qsizetype quietUntil(qsizetype from, qsizetype items, qsizetype stretch, int yieldPoints)
    {
        const qsizetype last = std::min(items, from + stretch - 1);
        if (last > m_source.items() ||
            (m_pace && m_pace->dueWithin(yieldPoints * (last - from + 1))))
            return from - 1;
        return last;
    }

    qsizetype measureColumn(int c)
    {
        qsizetype w = 0;
        if (m_layout == Layout::File &&
            value(At{Phase::HeaderLonger, c}, true, [&] { return w < m_source.header(c).size(); }))
            step(At{Phase::TakeHeaderWidth, c}, [&] { w = m_source.header(c).size(); });
        const qsizetype items =
            value(At{Phase::MeasureItems, c}, qsizetype(0), [&] { return m_source.items(); });
        for (qsizetype i = 1; i <= items; ++i) {
            if (c == 1) { // the quick way
                for (const qsizetype last = quietUntil(i, items, MeasureStretchItems, 1); i <= last;
                     ++i)
                    w = std::max(w, m_source.cell(i, 1).size());
                if (i > items)
                    break;
            }
            yieldAt(At{Phase::MeasureYield, c});
            if (value(At{Phase::CellLonger, c}, true,
                      [&] { return w < m_source.cell(i, c).size(); })) {
                if (gone(i))
                    break;
                step(At{Phase::TakeCellWidth, c}, [&] { w = m_source.cell(i, c).size(); });
            }
        }
        return w;
    }

    bool writeHeaderLine()
    {
        const int columns = value(At{Phase::HeaderColumns}, 0, [&] { return m_source.columns(); });
        for (int c = 1; c <= columns; ++c) {
            yieldAt(At{Phase::HeaderYield, c});
            putCell(
                c, c == columns, HeaderCell, [&] { return HeldText(m_source.header(c)); },
                [] { return false; });
        }
        return endLine(Phase::WriteHeader);
    }

    // The line of item i, phase by phase.
    Row writeRow(qsizetype i)
    {
        yieldAt(At{Phase::RowYield});
        if (!value(At{Phase::RowChecked}, true, [&] { return m_source.checked(i); }))
            return Row::Done;
        if (gone(i))
            return Row::Gone;
        const qsizetype lineStart = m_out->size();
        const int columns = value(At{Phase::RowColumns}, 0, [&] { return m_source.columns(); });
        for (int c = 1; c <= columns; ++c) {
            yieldAt(At{Phase::CellYield, c});
            if (!putCell(
                    c, c == columns, ItemCell, [&] { return m_source.cell(i, c); },
                    [&] { return gone(i); })) {
                m_out->truncate(lineStart);
                return Row::Gone;
            }
        }
        return endLine(Phase::WriteRow) ? Row::Done : Row::Refused;
    }

    // The quick way: the lines of a quiet stretch of a table of one column
    // from item i, each in one go as the phases would write it; i becomes the
    // first item not written, which goes phase by phase.
    void writeQuietLines(qsizetype& i, qsizetype items)
    {
        if (m_widths->empty() || m_source.columns() != 1)
            return;
        // A checked item has two yield points (its own and its cell's).
        const qsizetype last = quietUntil(i, items, WriteStretchItems, 2);
        const qsizetype start = m_out->size();
        for (; i <= last && m_out->size() - start < WriteStretchUnits; ++i) {
            if (m_source.checked(i) &&
                !m_out->appendQuietLine(m_source.cell(i, 1), m_widths->front(), m_layout))
                return;
        }
    }

    // Appends cell c: padded when it fits its width (not the last of a
    // clipboard line), else with its TAB alone. False when its item has gone.
    template <typename Read, typename Gone>
    bool putCell(int c, bool last, CellPhases phases, Read read, Gone gone)
    {
        if (value(At{phases.fits, c}, true, [&] {
                const qsizetype w = width(c);
                return w >= read().size();
            })) {
            if (gone())
                return false;
            step(At{phases.pad, c}, [&] {
                const qsizetype w = width(c);
                m_out->appendPaddedCell(read(), last && m_layout == Layout::Clipboard ? 0 : w);
            });
        } else {
            step(At{phases.append, c}, [&] { m_out->appendPaddedCell(read(), 0); });
        }
        return true;
    }

    bool endLine(Phase write)
    {
        return value(At{write}, false, [&] {
            if (m_layout == Layout::File)
                m_out->endFileLine();
            else
                m_out->endClipboardLine();
            m_out->lineEnded();
            return true;
        });
    }

    Source& m_source;
    Layout m_layout;
    PacedYield* m_pace;
    const FailureReport& m_report;
    const Widths* m_widths = nullptr;
    TableOutput* m_out = nullptr;
};

void writeWhole(Layout layout, const QStringList& headers, const ItemStore& items, TableOutput& out)
{
    StoreSource source(headers, items);
    const Widths widths = measureWidths(source, layout);
    writeLines(source, layout, widths, out);
}

} // namespace

template <typename Source>
Widths measureWidths(Source& source, Layout layout, PacedYield* pace, const FailureReport& report)
{
    return Walk<Source>(source, layout, pace, report).measureWidths();
}

template <typename Source>
bool writeLines(Source& source, Layout layout, const Widths& widths, TableOutput& out,
                PacedYield* pace, const FailureReport& report)
{
    return Walk<Source>(source, layout, pace, report).writeLines(widths, out);
}

template Widths measureWidths(ListSource&, Layout, PacedYield*, const FailureReport&);
template Widths measureWidths(StoreSource&, Layout, PacedYield*, const FailureReport&);
template bool writeLines(ListSource&, Layout, const Widths&, TableOutput&, PacedYield*,
                         const FailureReport&);
template bool writeLines(StoreSource&, Layout, const Widths&, TableOutput&, PacedYield*,
                         const FailureReport&);

void writeTable(Layout layout, const QStringList& headers, const ItemStore& items,
                const ByteSink& sink)
{
    TableOutput out(sink);
    writeWhole(layout, headers, items, out);
    out.flush();
}

QString tableText(Layout layout, const QStringList& headers, const ItemStore& items)
{
    TableOutput out;
    writeWhole(layout, headers, items, out);
    return std::move(out.text());
}

} // namespace TextTable
