// The text table of any list whose texts hold no line break or TAB: the file
// has the header line and one line per checked row, every line exactly the
// padded widths with a TAB per cell; the clipboard text has one line per
// checked row, none ending in a blank, nor in a TAB unless its last cell is
// blank, each the start of the row's padded line.
#include "support/TextTableReference.h"

#include <cstdlib>

namespace {

QString textOf(const uint8_t*& p, const uint8_t* end)
{
    // A length byte, then that many characters from a small alphabet with
    // blanks, so that trailing blanks and equal widths come up often.
    static const char16_t Alphabet[] = u" 0123456789-x\u00e9\u20ac ";
    QString text;
    if (p == end)
        return text;
    const int length = *p++ % 24;
    for (int i = 0; i < length && p != end; ++i)
        text += QChar(Alphabet[*p++ % (std::size(Alphabet) - 1)]);
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const uint8_t* p = data;
    const uint8_t* const end = data + size;
    if (p == end)
        return 0;
    const int columns = *p++ % 4 + 1;
    TextTable::Table table;
    for (int c = 0; c < columns; ++c)
        table.headers.append(textOf(p, end));
    qsizetype checked = 0;
    while (p != end && table.rows.size() < 64) {
        TextTable::Row row;
        row.checked = *p++ & 1;
        const int cells = p == end ? 0 : *p++ % (columns + 1);
        for (int c = 0; c < cells; ++c)
            row.cells.append(textOf(p, end));
        checked += row.checked;
        table.rows.push_back(row);
    }

    const std::vector<qsizetype> widths = TextTable::columnWidths(table, true);
    qsizetype lineLength = 0;
    for (qsizetype w : widths)
        lineLength += w + 1;
    const QStringList fileLines = TextTable::fileText(table).split(QStringLiteral("\r\n"));
    if (fileLines.size() != checked + 2 || !fileLines.last().isEmpty())
        std::abort();
    for (qsizetype i = 0; i + 1 < fileLines.size(); ++i)
        if (fileLines[i].size() != lineLength || fileLines[i].count(QLatin1Char('\t')) != columns)
            std::abort();

    const QString clipboard = TextTable::clipboardText(table);
    if (checked == 0) {
        if (!clipboard.isEmpty())
            std::abort();
        return 0;
    }
    QStringList clipLines = clipboard.split(QStringLiteral("\r\n"));
    if (clipLines.size() != checked + 1 || !clipLines.last().isEmpty())
        std::abort();
    clipLines.removeLast();
    const std::vector<qsizetype> itemWidths = TextTable::columnWidths(table, false);
    qsizetype line = 0;
    for (const TextTable::Row& row : table.rows) {
        if (!row.checked)
            continue;
        QString padded;
        for (int c = 1; c <= columns; ++c)
            TextTable::appendCell(padded, table.cell(row, c), itemWidths[size_t(c - 1)]);
        const QString& copied = clipLines[line++];
        const bool lastCellBlank = table.cell(row, columns).trimmed().isEmpty();
        if (copied.endsWith(QLatin1Char(' ')) ||
            (copied.endsWith(QLatin1Char('\t')) && !lastCellBlank) || !padded.startsWith(copied))
            std::abort();
    }
    return 0;
}
