#pragma once

#include "core/list/ListModel.h"
#include "support/ScriptedServices.h"
#include "support/TextTableReference.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringEncoder>

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

// Fills a list with a table's headers and rows.
inline void fill(ListModel& list, const TextTable::Table& table)
{
    for (const QString& header : table.headers)
        list.AddColumnHeader(header);
    for (const TextTable::Row& row : table.rows) {
        list.AppendItem(row.cells.value(0), row.cells.mid(1));
        list.SetChecked(list.ItemCount(), row.checked);
    }
}

// A random table: 1 to 3 columns, up to 6 rows, texts of up to 14 characters
// drawn from digits, letters, blanks, TABs and a few non-ASCII characters;
// rows may lack their later cells.
inline TextTable::Table randomTable(QRandomGenerator& random)
{
    static const QString alphabet = QStringLiteral("0123456789 AbZ -\t\u00e9\u00df\u4e2d");
    auto text = [&] {
        QString t;
        for (int n = int(random.bounded(15)); n > 0; --n)
            t += alphabet.at(random.bounded(int(alphabet.size())));
        return t;
    };
    TextTable::Table table;
    for (int c = int(random.bounded(1, 4)); c > 0; --c)
        table.headers.append(text());
    for (int r = int(random.bounded(7)); r > 0; --r) {
        TextTable::Row row;
        const int cells = int(random.bounded(1, int(table.headers.size()) + 1));
        for (int c = 0; c < cells; ++c)
            row.cells.append(text());
        row.checked = random.bounded(4) != 0;
        table.rows.push_back(row);
    }
    return table;
}

} // namespace OutputTest
