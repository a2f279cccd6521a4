#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// The stored text of a code list made whole, the plain way: what the store's
// part-by-part writing and reading are checked against.
namespace StoredCodeListReference {

// The items in order, with the separator between each two neighbours.
QString join(const QStringList& items);

// The non-empty pieces of the stored text, in order.
void split(const QString& stored, const std::function<void(QString)>& append);
QStringList split(const QString& stored);

} // namespace StoredCodeListReference
