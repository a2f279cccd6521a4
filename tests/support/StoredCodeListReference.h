#pragma once

#include <QString>
#include <QStringList>

// The stored text of a code list made whole, the plain way: what the store's
// part-by-part writing and reading are checked against.
namespace StoredCodeListReference {

// The items in order, with the separator between each two neighbours.
QString join(const QStringList& items);

// The non-empty pieces of the stored text, in order.
QStringList split(const QString& stored);

} // namespace StoredCodeListReference
