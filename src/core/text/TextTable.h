#pragma once

#include "core/base/Failure.h"
#include "core/base/PacedYield.h"
#include "core/list/ListModel.h"
#include "core/text/TableOutput.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <algorithm>
#include <cstring>
#include <functional>
#include <type_traits>
#include <vector>

class QIODevice;

// The padded text table a list is written as: the text export's file and the
// clipboard copy's text.
//
// Columns are the list's headers in order and rows its items in order, both
// numbered from 1; an item's cell in column 1 is its text, in a column c > 1
// its sub-item c - 1. Only checked items become lines.
//
// File layout: a header line, then one line per checked item. A column's
// width is the longest of its header and all its cells, checked or not. Each
// cell is its text, blanks up to its column's width, and a TAB; each line ends
// with CR LF. Nothing is trimmed, quoted or escaped.
//
// Clipboard layout: no header line, and widths from the cells alone. Each line
// is built as above, then loses its last character (its last cell's TAB) and
// the blanks before it, and ends with CR LF.
//
// A text longer than its column's width (the list grew while it was walked)
// is followed by its TAB alone.
namespace TextTable {

// Table sources ----------------------------------------------------------------
//
// A source answers at the moment it is asked, and throws Failure for an item
// or column that does not exist:
//     int columns();  qsizetype items();  QStringView header(int c);
//     ItemText cell(qsizetype i, int c);  // valid until the next call
//     bool checked(qsizetype i);

// A list that may change while it is walked: every answer is read from it.
class ListSource
{
public:
    explicit ListSource(const ListModel& list) : m_list(list) {}

    int columns() const { return m_list.ColumnCount(); }
    qsizetype items() const { return m_list.ItemCount(); }
    QStringView header(int c) const { return m_list.HeaderText(c); }
    ItemText cell(qsizetype i, int c) { return c == 1 ? m_list.ItemAt(i) : subItem(i, c); }
    bool checked(qsizetype i) const { return m_list.Checked(i); }

private:
    ItemText subItem(qsizetype i, int c)
    {
        m_subItem = m_list.SubItem(i, c);
        return m_subItem;
    }

    const ListModel& m_list;
    QString m_subItem;
};

// Headers and items held still.
class StoreSource
{
public:
    StoreSource(const QStringList& headers, const ItemStore& items)
        : m_headers(headers), m_items(items)
    {}

    int columns() const { return int(m_headers.size()); }
    qsizetype items() const { return m_items.count(); }
    QStringView header(int c) const { return m_headers.at(c - 1); }
    ItemText cell(qsizetype i, int c) { return c == 1 ? m_items.text(i - 1) : subItem(i, c); }
    bool checked(qsizetype i) const { return m_items.checked(i - 1); }

private:
    ItemText subItem(qsizetype i, int c)
    {
        m_subItem = m_items.subItem(i - 1, c - 2);
        return m_subItem;
    }

    const QStringList& m_headers;
    const ItemStore& m_items;
    QString m_subItem;
};

// The walk ---------------------------------------------------------------------
//
// The table is written in two walks over a source: measureWidths, then
// writeLines. Every read of the source, every change and every yield to the
// window is one phase, run through a step policy:
//     template <typename Body> void step(At at, Body&& body);
//     template <typename T, typename Body> T value(At at, T fallback, Body&& body);
// A policy may let a failure pass on, or report it and go on: a step then
// counts as done, a test as passed (the steps it guards run), a count as no
// rounds. A line that cannot be written ends the walk.
//
// Loop bounds are taken when each loop starts, and the source is read afresh
// at each phase. An item that has gone when it is read (the list was cleared
// or shortened at a yield) ends its walk there: the item loop of the column
// being measured, or the writing of the lines (no line of it is written).

enum class Phase
{
    // The widths, column by column.
    MeasureColumns,  // count: the columns
    HeaderLonger,    // test: the header is longer than the width so far (file)
    TakeHeaderWidth, //   the width becomes the header's length
    MeasureItems,    // count: the items
    MeasureYield,    // yield, once per item of each column
    CellLonger,      // test: the cell is longer than the width so far
    TakeCellWidth,   //   the width becomes the cell's length
    KeepWidth,       // the column's width is kept

    // The header line (file).
    HeaderColumns, // count: the columns
    HeaderYield,   // yield, once per column
    HeaderFits,    // test: the header fits its width
    PadHeader,     //   the header padded
    AppendHeader,  //   else the header alone
    WriteHeader,   // the line ended and written

    // The lines of the checked items.
    RowItems,   // count: the items
    RowYield,   // yield, once per item
    RowChecked, // test: the item is checked
    RowColumns, // count: the columns
    CellYield,  // yield, once per column of a checked item
    CellFits,   // test: the cell fits its width
    PadCell,    //   the cell padded
    AppendCell, //   else the cell alone
    WriteRow,   // the line ended and written
};

// A phase, and the column it works on (0 for none).
struct At
{
    Phase phase;
    int column = 0;
};

// The policy that runs each phase as it is and lets every failure pass on.
struct PassFailuresOn
{
    template <typename Body> void step(At, Body&& body) { body(); }
    template <typename T, typename Body> T value(At, T, Body&& body) { return body(); }
};

// Quiet stretches ---------------------------------------------------------------
//
// With a paced yield, a stretch of items whose yield points are all passed
// without the window running is walked without the phases: the list cannot
// change there, so every read succeeds, and each line comes out as its phases
// would make it. A stretch is short (its lines are less than a block), and
// the first item that needs more (another column, a text the quick way does
// not take, a full block) goes the careful way.

template <typename Pace>
concept QuietStretches = std::is_same_v<std::remove_cvref_t<Pace>, PacedYield>;

// The widest cell of column 1 over a stretch of items from `from`, taken into
// `w`; answers the item after the stretch (`from` when there is none).
template <typename Source>
qsizetype measureQuietItems(Source& source, PacedYield& pace, qsizetype from, qsizetype items,
                            qsizetype& w)
{
    constexpr qsizetype StretchItems = 1024;
    const qsizetype last = std::min(items, from + StretchItems - 1);
    if (last > source.items() || pace.dueWithin(last - from + 1))
        return from;
    for (qsizetype i = from; i <= last; ++i)
        w = std::max(w, source.cell(i, 1).size());
    return last + 1;
}

// The lines of a stretch of items of a one-column list from `from`; answers
// the first item not written.
template <typename Source>
qsizetype writeQuietLines(Source& source, Layout layout, const Widths& widths, Output& out,
                          PacedYield& pace, qsizetype from, qsizetype items)
{
    constexpr qsizetype StretchItems = 512;
    constexpr qsizetype StretchUnits = qsizetype(64) * 1024;
    const qsizetype last = std::min(items, from + StretchItems - 1);
    // A checked item has two yield points (its own and its cell's).
    if (widths.empty() || source.columns() != 1 || last > source.items() ||
        pace.dueWithin(2 * (last - from + 1)))
        return from;
    const qsizetype width = widths.front();
    const qsizetype start = out.size();
    for (qsizetype i = from; i <= last; ++i) {
        if (out.size() - start >= StretchUnits)
            return i;
        if (source.checked(i) && !out.appendQuietLine(source.cell(i, 1), width, layout))
            return i;
    }
    return last + 1;
}

// The column widths. `pace` is called at each yield point.
template <typename Source, typename Pace, typename Policy>
Widths measureWidths(Source& source, Layout layout, Pace&& pace, Policy&& policy)
{
    Widths widths;
    const int columns =
        policy.value(At{Phase::MeasureColumns}, 0, [&] { return source.columns(); });
    for (int c = 1; c <= columns; ++c) {
        qsizetype w = 0;
        if (layout == Layout::File && policy.value(At{Phase::HeaderLonger, c}, true,
                                                   [&] { return w < source.header(c).size(); }))
            policy.step(At{Phase::TakeHeaderWidth, c}, [&] { w = source.header(c).size(); });
        const qsizetype items =
            policy.value(At{Phase::MeasureItems, c}, qsizetype(0), [&] { return source.items(); });
        for (qsizetype i = 1; i <= items; ++i) {
            if constexpr (QuietStretches<Pace>) {
                if (c == 1 && (i = measureQuietItems(source, pace, i, items, w)) > items)
                    break;
            }
            policy.step(At{Phase::MeasureYield, c}, pace);
            if (policy.value(At{Phase::CellLonger, c}, true,
                             [&] { return w < source.cell(i, c).size(); })) {
                if (i > source.items())
                    break;
                policy.step(At{Phase::TakeCellWidth, c}, [&] { w = source.cell(i, c).size(); });
            }
        }
        policy.step(At{Phase::KeepWidth, c}, [&] { widths.push_back(w); });
    }
    return widths;
}

// The lines, into `out`: the header line (file layout), then the lines of the
// checked items. False when a line could not be written. `pace` is called at
// each yield point.
template <typename Source, typename Pace, typename Policy>
bool writeLines(Source& source, Layout layout, const Widths& widths, Output& out, Pace&& pace,
                Policy&& policy)
{
    auto width = [&widths](int c) {
        if (c < 1 || size_t(c) > widths.size())
            throw Failure(QStringLiteral("Subscript out of range"));
        return widths[size_t(c - 1)];
    };
    // Appends cell c: padded when it fits its width, else with its TAB alone.
    // False, appending nothing, when the cell's item has gone. The last cell
    // of a clipboard line gets no blanks: they would go with its TAB.
    auto putCell = [&](int c, bool last, Phase fitsTest, Phase pad, Phase append, auto read,
                       auto gone) {
        if (policy.value(At{fitsTest, c}, true, [&] {
                const qsizetype w = width(c);
                return fits(w, read());
            })) {
            if (gone())
                return false;
            policy.step(At{pad, c}, [&] {
                const qsizetype w = width(c);
                out.appendPaddedCell(read(), last && layout == Layout::Clipboard ? 0 : w);
            });
        } else {
            policy.step(At{append, c}, [&] { out.appendUnpaddedCell(read()); });
        }
        return true;
    };
    auto endLine = [&](Phase write) {
        return policy.value(At{write}, false, [&] {
            if (layout == Layout::File)
                out.endFileLine();
            else
                out.endClipboardLine();
            out.lineEnded();
            return true;
        });
    };

    if (layout == Layout::File) {
        const int columns =
            policy.value(At{Phase::HeaderColumns}, 0, [&] { return source.columns(); });
        for (int c = 1; c <= columns; ++c) {
            policy.step(At{Phase::HeaderYield, c}, pace);
            putCell(
                c, c == columns, Phase::HeaderFits, Phase::PadHeader, Phase::AppendHeader,
                [&] { return ItemText(source.header(c)); }, [] { return false; });
        }
        if (!endLine(Phase::WriteHeader))
            return false;
    }

    const qsizetype items =
        policy.value(At{Phase::RowItems}, qsizetype(0), [&] { return source.items(); });
    out.reserveLines(items, widths);
    auto gone = [&](qsizetype i) { return i > source.items(); };
    for (qsizetype i = 1; i <= items; ++i) {
        if constexpr (QuietStretches<Pace>) {
            if ((i = writeQuietLines(source, layout, widths, out, pace, i, items)) > items)
                break;
        }
        policy.step(At{Phase::RowYield}, pace);
        if (!policy.value(At{Phase::RowChecked}, true, [&] { return source.checked(i); }))
            continue;
        if (gone(i))
            break;
        const qsizetype lineStart = out.size();
        bool complete = true;
        const int columns =
            policy.value(At{Phase::RowColumns}, 0, [&] { return source.columns(); });
        for (int c = 1; c <= columns && complete; ++c) {
            policy.step(At{Phase::CellYield, c}, pace);
            complete = putCell(
                c, c == columns, Phase::CellFits, Phase::PadCell, Phase::AppendCell,
                [&] { return source.cell(i, c); }, [&] { return gone(i); });
        }
        if (!complete) {
            out.truncate(lineStart);
            break;
        }
        if (!endLine(Phase::WriteRow))
            return false;
    }
    return true;
}

// The lines of a file table of one column whose texts are held still and all
// checked, less its header line: what writeLines writes for them with
// PassFailuresOn, without a walk's phases. `text(i)` gives the ith text (from
// 0); `width` is the column's (fileColumnWidth).
template <typename Text>
void writeColumnLines(qsizetype count, Text&& text, qsizetype width, Output& out)
{
    for (qsizetype i = 0; i < count; ++i) {
        out.appendPaddedCell(text(i), width);
        out.endFileLine();
        out.lineEnded();
    }
}

// The width of a file table's column: the longest of its header and cells.
inline qsizetype fileColumnWidth(QStringView header, qsizetype longestCell)
{
    return std::max(header.size(), longestCell);
}

// Whole tables of a list held still ------------------------------------------------

// Writes the table to a sink. Lets the sink's failures pass on.
void writeTable(Layout layout, const QStringList& headers, const ItemStore& items,
                const Sink& sink);

// Writes the table to a byte sink in UTF-8. Lets the sink's failures pass on.
void writeTable(Layout layout, const QStringList& headers, const ItemStore& items,
                const ByteSink& sink);

// Writes the table to a device in the system's encoding (UTF-8), with no
// byte-order mark. Throws Failure with the device's reason when it refuses a
// write.
void writeTable(Layout layout, const QStringList& headers, const ItemStore& items,
                QIODevice& device);

// The table as one text.
QString tableText(Layout layout, const QStringList& headers, const ItemStore& items);

} // namespace TextTable
