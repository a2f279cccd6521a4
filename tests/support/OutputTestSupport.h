#pragma once

#include "core/list/ListModel.h"
#include "support/ScriptedServices.h"

#include <QRegularExpression>
#include <QStringEncoder>
#include <vector>

// Helpers shared by the text export and clipboard tests.
namespace OutputTest {

// Where each error report points: "<module>.<procedure> <line>", e.g.
// "Main.SaveListviewProperlySpacedWithoutProgressBar 136".
inline QStringList reportedAt(const QStringList& reports)
{
    static const QRegularExpression where(
        QStringLiteral("\r\nin Lintorak2021/08/31\\.(\\S+) at line (\\d+)\r\r"));
    QStringList places;
    for (const QString& report : reports) {
        const QRegularExpressionMatch m = where.match(report);
        places.append(m.hasMatch() ? m.captured(1) + QLatin1Char(' ') + m.captured(2)
                                   : QStringLiteral("(no place) ") + report);
    }
    return places;
}

// The failure descriptions of the error reports.
inline QStringList descriptions(const QStringList& reports)
{
    QStringList texts;
    for (const QString& report : reports)
        texts.append(report.section(QStringLiteral("\r\n"), 0, 0));
    return texts;
}

inline QByteArray systemBytes(const QString& text)
{
    QStringEncoder encoder(QStringConverter::System);
    return encoder.encode(text);
}

inline QString blanks(int n)
{
    return QString(n, QLatin1Char(' '));
}

// A list to fill: column headers, and rows with one text per column
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
};

// Fills a list with a table's headers and rows.
inline void fill(ListModel& list, const Table& table)
{
    for (const QString& header : table.headers)
        list.AddColumnHeader(header);
    for (const Row& row : table.rows) {
        list.AppendItem(row.cells.value(0), row.cells.mid(1));
        list.SetChecked(list.ItemCount(), row.checked);
    }
}

} // namespace OutputTest
