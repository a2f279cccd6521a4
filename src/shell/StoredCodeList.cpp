#include "shell/StoredCodeList.h"

namespace StoredCodeList {

QString join(qsizetype count, const std::function<const QString&(qsizetype)>& item)
{
    qsizetype length = 0;
    for (qsizetype i = 1; i <= count; ++i)
        length += item(i).size() + Separator.size();
    QString stored;
    stored.reserve(length);
    for (qsizetype i = 1; i <= count; ++i) {
        stored += item(i);
        stored += Separator;
    }
    if (!stored.isEmpty())
        stored.chop(Separator.size());
    return stored;
}

QString join(const QStringList& items)
{
    return join(items.size(), [&items](qsizetype i) -> const QString& { return items.at(i - 1); });
}

void split(const QString& stored, const std::function<void(QString)>& append)
{
    if (stored.isEmpty())
        return;
    const QStringView text(stored);
    qsizetype from = 0;
    while (true) {
        const qsizetype at = text.indexOf(Separator, from, Qt::CaseSensitive);
        const qsizetype end = at < 0 ? text.size() : at;
        if (end > from)
            append(text.sliced(from, end - from).toString());
        if (at < 0)
            break;
        from = at + Separator.size();
    }
}

QStringList split(const QString& stored)
{
    QStringList items;
    split(stored, [&items](QString piece) { items.append(std::move(piece)); });
    return items;
}

} // namespace StoredCodeList
