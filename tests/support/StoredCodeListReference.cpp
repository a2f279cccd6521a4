#include "support/StoredCodeListReference.h"

#include "core/files/StoredCodeList.h"

namespace StoredCodeListReference {

QString join(const QStringList& items)
{
    qsizetype length = 0;
    for (const QString& item : items)
        length += item.size() + StoredCodeList::Separator.size();
    QString stored;
    stored.reserve(length);
    for (const QString& item : items) {
        stored += item;
        stored += StoredCodeList::Separator;
    }
    if (!stored.isEmpty())
        stored.chop(StoredCodeList::Separator.size());
    return stored;
}

QStringList split(const QString& stored)
{
    QStringList items;
    if (stored.isEmpty())
        return items;
    const QStringView text(stored);
    qsizetype from = 0;
    while (true) {
        const qsizetype at = text.indexOf(StoredCodeList::Separator, from, Qt::CaseSensitive);
        const qsizetype end = at < 0 ? text.size() : at;
        if (end > from)
            items.append(text.sliced(from, end - from).toString());
        if (at < 0)
            break;
        from = at + StoredCodeList::Separator.size();
    }
    return items;
}

} // namespace StoredCodeListReference
