#include "core/files/FilePath.h"

namespace FilePath {

namespace {

QString collapsePairs(QStringView path, QChar separator)
{
    QString out;
    out.reserve(path.size());
    for (qsizetype i = 0; i < path.size(); ++i) {
        out.append(path[i]);
        if (path[i] == separator && i + 1 < path.size() && path[i + 1] == separator)
            ++i; // the second of a pair
    }
    return out;
}

} // namespace

QString collapseDoubledSeparators(const QString& path, QChar separator, bool networkPrefix)
{
    if (!path.startsWith(separator))
        return collapsePairs(path, separator);
    qsizetype rest = 0;
    while (rest < path.size() && path.at(rest) == separator)
        ++rest;
    QString out(networkPrefix ? 2 : 1, separator);
    out += collapsePairs(QStringView(path).sliced(rest), separator);
    return out;
}

} // namespace FilePath
