// Splitting a stored value never fails and yields no empty piece; storing a
// list of non-empty items that hold no separator and restoring it gives the
// same list back, as long as no item ends in the start of a separator (an
// item ending in "||MySeparator23" followed by the separator reads as the
// separator one item early: the stored format cannot tell these apart).
#include "FuzzInput.h"
#include "shell/StoredCodeList.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = utf16Text(data, size);

    const QStringList pieces = StoredCodeList::split(text);
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
    const QString stored = StoredCodeList::join(items);
    if (StoredCodeList::split(stored) != items)
        std::abort();
    return 0;
}
