#pragma once

#include "shell/ListView.h"

#include <QStringList>

// A list's item texts, in order.
inline QStringList itemsOf(const ListView* list)
{
    QStringList items;
    for (qsizetype i = 1; i <= list->ItemCount(); ++i)
        items.append(list->ItemText(i));
    return items;
}

// Appends the texts as items.
inline void fill(ListView* list, const QStringList& items)
{
    for (const QString& item : items)
        list->AppendItem(item);
}

// The four sample codes, in the order "Load Sample/Example UPCs" adds them.
inline const QStringList SampleCodes = {"801927504622", "012345678905", "712345678904",
                                        "279347895943"};
