#include "support/TextTableReference.h"

namespace TextTable {

namespace {

const QString LineEnd = QStringLiteral("\r\n");

QString lineOf(const std::vector<qsizetype>& widths, const QStringList& texts)
{
    QString line;
    for (qsizetype c = 1; c <= qsizetype(widths.size()); ++c)
        appendCell(line, c <= texts.size() ? QStringView(texts.at(c - 1)) : QStringView(),
                   widths[size_t(c - 1)]);
    return line;
}

} // namespace

QString Table::cell(const Row& row, qsizetype c) const
{
    return c >= 1 && c <= row.cells.size() ? row.cells.at(c - 1) : QString();
}

std::vector<qsizetype> columnWidths(const Table& table, bool withHeaders)
{
    std::vector<qsizetype> widths;
    for (qsizetype c = 1; c <= table.headers.size(); ++c) {
        qsizetype w = withHeaders ? table.headers.at(c - 1).size() : 0;
        for (const Row& row : table.rows)
            w = wider(w, table.cell(row, c));
        widths.push_back(w);
    }
    return widths;
}

QString fileText(const Table& table)
{
    const std::vector<qsizetype> widths = columnWidths(table, true);
    QString text = lineOf(widths, table.headers) + LineEnd;
    for (const Row& row : table.rows) {
        if (row.checked)
            text += lineOf(widths, row.cells) + LineEnd;
    }
    return text;
}

QString clipboardText(const Table& table)
{
    const std::vector<qsizetype> widths = columnWidths(table, false);
    QString text;
    for (const Row& row : table.rows) {
        if (!row.checked)
            continue;
        text += lineOf(widths, row.cells);
        closeClipboardLine(text);
    }
    return text;
}

} // namespace TextTable
