// Splitting a stored value never fails and yields no empty piece; storing a
// list of non-empty items that hold no separator and restoring it gives the
// same list back, as long as no item ends in the start of a separator (an
// item ending in "||MySeparator23" followed by the separator reads as the
// separator one item early: the stored format cannot tell these apart).
// The store's streamed bytes are those of the joined text, and the stored
// bytes cut a part at a time, or read a window at a time, give the pieces of
// the whole decoded text.
#include "FuzzInput.h"
#include "core/files/StoredCodeList.h"
#include "support/StoredCodeListReference.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = utf16Text(data, size);

    const QStringList pieces = StoredCodeListReference::split(text);
    for (const QString& piece : pieces)
        if (piece.isEmpty() || piece.contains(StoredCodeList::Separator))
            std::abort();

    // The same bytes as a list: items end at U+000A.
    QStringList items;
    for (const QString& item : text.split(QLatin1Char('\n')))
        if (!item.isEmpty() &&
            (item + StoredCodeList::Separator.toString()).indexOf(StoredCodeList::Separator) ==
                item.size())
            items.append(item);
    const QString stored = StoredCodeListReference::join(items);
    if (StoredCodeListReference::split(stored) != items)
        std::abort();

    const qsizetype small = size > 0 ? data[0] % 40 + 1 : 1;
    const QStringList anyItems = text.split(QLatin1Char('\n'));
    QByteArray streamed;
    const StoredCodeList::ByteSink sink = [&streamed](QByteArrayView bytes) {
        streamed.append(bytes);
    };
    StoredCodeList::Utf8Join join(sink, small);
    for (const QString& item : anyItems)
        join.add(item);
    join.finish();
    if (streamed != StoredCodeListReference::join(anyItems).toUtf8())
        std::abort();

    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    StoredCodeList::Utf8Split cut(bytes);
    QStringList cutPieces;
    while (cut.next())
        for (const HeldText& piece : cut.pieces())
            cutPieces.append(piece.toString());
    if (cutPieces != StoredCodeListReference::split(QString::fromUtf8(bytes)))
        std::abort();

    // Read a window at a time, a few bytes a read.
    qsizetype at = 0;
    StoredCodeList::Utf8Windows windows(
        [&](char* to, qsizetype room) {
            const qsizetype n = std::min({room, small % 7 + 1, bytes.size() - at});
            std::memcpy(to, bytes.data() + at, size_t(n));
            at += n;
            return n;
        },
        small);
    QStringList windowPieces;
    while (windows.readWindow())
        while (windows.split().next())
            for (const HeldText& piece : windows.split().pieces())
                windowPieces.append(piece.toString());
    if (windowPieces != cutPieces)
        std::abort();
    return 0;
}
