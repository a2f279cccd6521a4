#pragma once

#include "core/text/TextTable.h"

#include <QStringList>
#include <vector>

// The whole padded text table made at once from a list held in memory: what
// the text export and the clipboard copy must write when nothing changes the
// list meanwhile. Tests and fuzzers compare the real output with it.
namespace TextTable {

// A list held in memory: column headers, and rows with one text per column
// (missing cells are empty) and a check mark.
struct Row
{
    QStringList cells;
    bool checked = true;
};

struct Table
{
    QStringList headers;
    std::vector<Row> rows;

    // The cell of a row in column c (from 1); "" when the row has none.
    QString cell(const Row& row, qsizetype c) const;
};

// Each column's width: the longest of its cells over every row, checked or
// not, and of its header when `withHeaders`.
std::vector<qsizetype> columnWidths(const Table& table, bool withHeaders);

// The text file's content: the header line, then one line per checked row,
// every line closed by CR LF.
QString fileText(const Table& table);

// The clipboard text: one closed line per checked row, no header line.
QString clipboardText(const Table& table);

} // namespace TextTable
