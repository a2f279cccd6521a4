// Tidying a joined path agrees with a plain restatement of the rule: after
// the leading run of separators (which becomes one, or two with a network
// prefix), every run of n separators becomes ceil(n / 2); nothing else changes.
#include "core/files/FilePath.h"

#include <cstdlib>

namespace {

QString reference(const QString& path, bool network)
{
    QString out;
    qsizetype i = 0;
    if (path.startsWith(QLatin1Char('/'))) {
        while (i < path.size() && path.at(i) == u'/')
            ++i;
        out = QString(network ? 2 : 1, QLatin1Char('/'));
    }
    while (i < path.size()) {
        if (path.at(i) != u'/') {
            out += path.at(i++);
            continue;
        }
        qsizetype run = 0;
        while (i < path.size() && path.at(i) == u'/') {
            ++run;
            ++i;
        }
        out += QString((run + 1) / 2, QLatin1Char('/'));
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const bool network = data[0] & 1;
    const QString path =
        QString::fromLatin1(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    if (FilePath::collapseDoubledSeparators(path, QLatin1Char('/'), network) !=
        reference(path, network))
        std::abort();
    if (FilePath::collapseDoubledSeparators(path) != reference(path, false))
        std::abort();
    return 0;
}
