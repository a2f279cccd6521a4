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

void split(const QString& stored, const std::function<void(QString)>& append)
{
    if (stored.isEmpty())
        return;
    const QStringView text(stored);
    qsizetype from = 0;
    while (true) {
        const qsizetype at = text.indexOf(StoredCodeList::Separator, from, Qt::CaseSensitive);
        const qsizetype end = at < 0 ? text.size() : at;
        if (end > from)
            append(text.sliced(from, end - from).toString());
        if (at < 0)
            break;
        from = at + StoredCodeList::Separator.size();
    }
}

QStringList split(const QString& stored)
{
    QStringList items;
    split(stored, [&items](QString piece) { items.append(std::move(piece)); });
    return items;
}

} // namespace StoredCodeListReference
