#include "core/text/CodeColumn.h"

#include <algorithm>

namespace CodeColumn {

namespace {

// The cells below row 1 (or row 1 alone, in a table of one row) of a column
// that look like codes, and those that are there at all.
struct Count
{
    int codes = 0;
    int cells = 0;
};

Count countBelow(const std::vector<QStringList>& rows, int column)
{
    Count count;
    const size_t from = rows.size() > 1 ? 1 : 0;
    for (size_t r = from; r < rows.size(); ++r) {
        if (column >= rows[r].size() || rows[r].at(column).isEmpty())
            continue;
        ++count.cells;
        count.codes += looksLikeCode(rows[r].at(column)) ? 1 : 0;
    }
    return count;
}

} // namespace

bool looksLikeCode(QStringView cell)
{
    int digits = 0;
    for (const QChar c : cell) {
        if (c == u'-' || c == u' ')
            continue;
        if (c < u'0' || c > u'9')
            return false;
        ++digits;
    }
    return digits >= 8 && digits <= 14;
}

int width(const std::vector<QStringList>& rows)
{
    const auto widest = std::ranges::max_element(rows, {}, &QStringList::size);
    return widest == rows.end() ? 0 : int(widest->size());
}

bool headerAbove(const std::vector<QStringList>& rows, int column)
{
    if (rows.size() < 2)
        return false;
    const Count below = countBelow(rows, column);
    const QString top = column < rows.front().size() ? rows.front().at(column) : QString();
    return below.codes > 0 && below.codes * 2 >= below.cells && !looksLikeCode(top);
}

std::optional<Guess> guess(const std::vector<QStringList>& rows)
{
    int best = -1;
    int bestCodes = 0;
    for (int c = 0, n = width(rows); c < n; ++c) {
        const int codes = countBelow(rows, c).codes;
        if (codes > bestCodes) {
            best = c;
            bestCodes = codes;
        }
    }
    if (best >= 0)
        return Guess{best, headerAbove(rows, best)};
    // Only row 1 holds codes: it is no header then.
    const QStringList top = rows.empty() ? QStringList() : rows.front();
    const auto code = std::ranges::find_if(top, looksLikeCode);
    if (code == top.end())
        return std::nullopt;
    return Guess{int(code - top.begin()), false};
}

QString letters(int column)
{
    QString name;
    for (int n = column + 1; n > 0; n = (n - 1) / 26)
        name.prepend(QChar(u'A' + (n - 1) % 26));
    return name;
}

std::optional<int> named(const QString& name, const QStringList& header, bool* byHeader)
{
    if (byHeader)
        *byHeader = false;
    const QString wanted = name.trimmed();
    if (wanted.isEmpty())
        return std::nullopt;
    bool isNumber = false;
    const int number = wanted.toInt(&isNumber);
    if (isNumber)
        return number >= 1 ? std::optional<int>(number - 1) : std::nullopt;
    for (qsizetype c = 0; c < header.size(); ++c) {
        if (header.at(c).trimmed().compare(wanted, Qt::CaseInsensitive) == 0) {
            if (byHeader)
                *byHeader = true;
            return int(c);
        }
    }
    if (wanted.size() > 3)
        return std::nullopt;
    int column = 0;
    for (const QChar c : wanted) {
        const char16_t u = c.toUpper().unicode();
        if (u < u'A' || u > u'Z')
            return std::nullopt;
        column = column * 26 + (u - u'A' + 1);
    }
    return column - 1;
}

} // namespace CodeColumn
