#include "input/TypedCodes.h"

namespace TypedCodes {

QStringList split(const QString& text)
{
    return text.split(QLatin1Char(','), Qt::KeepEmptyParts, Qt::CaseSensitive);
}

QString trimBlanks(const QString& piece)
{
    qsizetype from = 0;
    qsizetype to = piece.size();
    while (from < to && piece.at(from) == u' ')
        ++from;
    while (to > from && piece.at(to - 1) == u' ')
        --to;
    return from == 0 && to == piece.size() ? piece : piece.sliced(from, to - from);
}

} // namespace TypedCodes
