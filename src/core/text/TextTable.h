#pragma once

#include "core/list/ListModel.h"
#include "core/text/TableOutput.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>

class PacedYield;

// The padded text table a list is written as, by the text export and the
// clipboard copy. Columns are the list's headers and rows its checked items,
// both numbered from 1; an item's cell in column 1 is its text, in a column
// c > 1 its sub-item c - 1.
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

// A source answers when asked, and throws Failure for an item or column that
// does not exist: int columns(); qsizetype items(); QStringView header(int c);
// HeldText cell(qsizetype i, int c) (valid until the next call); bool checked(qsizetype i).

// A list that may change while it is walked: every answer is read from it.
class ListSource
{
public:
    explicit ListSource(const ListModel& list) : m_list(list) {}

    int columns() const { return m_list.ColumnCount(); }
    qsizetype items() const { return m_list.ItemCount(); }
    QStringView header(int c) const { return m_list.HeaderText(c); }
    HeldText cell(qsizetype i, int c) { return c == 1 ? m_list.HeldTextAt(i) : subItem(i, c); }
    bool checked(qsizetype i) const { return m_list.Checked(i); }

private:
    HeldText subItem(qsizetype i, int c)
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
    HeldText cell(qsizetype i, int c) { return c == 1 ? m_items.text(i - 1) : subItem(i, c); }
    bool checked(qsizetype i) const { return m_items.checked(i - 1); }

private:
    HeldText subItem(qsizetype i, int c)
    {
        m_subItem = m_items.subItem(i - 1, c - 2);
        return m_subItem;
    }

    const QStringList& m_headers;
    const ItemStore& m_items;
    QString m_subItem;
};

// The table is written in two walks over a source: measureWidths, then
// writeLines. Every read of the source, every change and every yield to the
// window is one phase. A failure of a phase passes on, or, given a report, is
// reported (while it is being handled) and the walk goes on: a step then
// counts as done, a test as passed (the steps it guards run), a count as no
// rounds. A line that cannot be written ends the walk.
//
// Loop bounds are taken when each loop starts, and the source is read afresh
// at each phase. An item that has gone when it is read (the list was cleared
// or shortened at a yield) ends its walk there: the item loop of the column
// being measured, or the writing of the lines (no line of it is written).
//
// `pace`, when given, is called at each yield point. A stretch of items where
// it will not let the window run (so nothing can change there) goes without
// the phases, as they would write it.
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

// Reports the failure of a phase, while it is being handled.
using FailureReport = std::function<void(At at)>;

// The column widths.
template <typename Source>
Widths measureWidths(Source& source, Layout layout, PacedYield* pace = nullptr,
                     const FailureReport& report = {});

// The lines into `out`, the header line first (file layout). False when a
// line could not be written.
template <typename Source>
bool writeLines(Source& source, Layout layout, const Widths& widths, TableOutput& out,
                PacedYield* pace = nullptr, const FailureReport& report = {});

// Writes the table of a list held still to a byte sink in UTF-8. Lets the
// sink's failures pass on.
void writeTable(Layout layout, const QStringList& headers, const ItemStore& items,
                const ByteSink& sink);

// The table as one text.
QString tableText(Layout layout, const QStringList& headers, const ItemStore& items);

} // namespace TextTable
