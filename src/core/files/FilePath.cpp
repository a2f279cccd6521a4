#include "core/files/FilePath.h"

namespace FilePath {

QString collapseDoubledSeparators(const QString& path, QChar separator, bool networkPrefix)
{
    qsizetype at = 0;
    while (at < path.size() && path.at(at) == separator)
        ++at;
    QString out(at == 0 ? 0 : networkPrefix ? 2 : 1, separator);
    out.reserve(path.size());
    for (; at < path.size(); ++at) {
        out.append(path[at]);
        if (path[at] == separator && at + 1 < path.size() && path[at + 1] == separator)
            ++at; // the second of a pair
    }
    return out;
}

} // namespace FilePath
