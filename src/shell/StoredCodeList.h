#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// The code list as one stored text: the items in order, with the separator
// between each two neighbours and nowhere else. An empty list is "".
namespace StoredCodeList {

inline constexpr QStringView Separator = u"||MySeparator23||";

// Joins items given by count and accessor (1-based), so a caller can store a
// list without copying it first.
QString join(qsizetype count, const std::function<const QString&(qsizetype)>& item);
QString join(const QStringList& items);

// Calls `append` for every non-empty piece of the stored text, in order.
void split(const QString& stored, const std::function<void(QString)>& append);
QStringList split(const QString& stored);

} // namespace StoredCodeList
