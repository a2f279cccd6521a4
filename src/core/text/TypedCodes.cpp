#include "core/text/TypedCodes.h"

namespace TypedCodes {

QStringList split(const QString& text)
{
    return text.split(QLatin1Char(','), Qt::KeepEmptyParts, Qt::CaseSensitive);
}

QStringView trimBlanks(QStringView piece)
{
    qsizetype from = 0;
    qsizetype to = piece.size();
    while (from < to && piece[from] == u' ')
        ++from;
    while (to > from && piece[to - 1] == u' ')
        --to;
    return piece.sliced(from, to - from);
}

QString trimBlanks(const QString& piece)
{
    const QStringView trimmed = trimBlanks(QStringView(piece));
    return trimmed.size() == piece.size() ? piece : trimmed.toString();
}

} // namespace TypedCodes
