#include "core/text/TextTable.h"

#include "core/base/Failure.h"

namespace TextTable {

void appendPaddedCell(QString& line, QStringView text, qsizetype width)
{
    line.append(text);
    if (width > text.size())
        line.append(QString(width - text.size(), QLatin1Char(' ')));
    line.append(QLatin1Char('\t'));
}

void appendUnpaddedCell(QString& line, QStringView text)
{
    line.append(text);
    line.append(QLatin1Char('\t'));
}

void appendCell(QString& line, QStringView text, qsizetype width)
{
    if (fits(width, text))
        appendPaddedCell(line, text, width);
    else
        appendUnpaddedCell(line, text);
}

void closeClipboardLine(QString& text)
{
    if (text.isEmpty())
        throw Failure(QStringLiteral("Invalid procedure call or argument"));
    text.chop(1);
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    text.truncate(end);
    text.append(QStringLiteral("\r\n"));
}

} // namespace TextTable
