#pragma once

#include "core/list/ListModel.h"

#include <QItemSelectionModel>
#include <QStringList>

// A list's item texts, in order.
inline QStringList itemsOf(const ListModel& list)
{
    QStringList items;
    for (qsizetype i = 1; i <= list.ItemCount(); ++i)
        items.append(list.ItemText(i));
    return items;
}

// Appends the texts as items.
inline void fill(ListModel& list, const QStringList& items)
{
    for (const QString& item : items)
        list.AppendItem(item);
}

// The same for a list of the window (anything with its ListModel as model()).
template <typename View> QStringList itemsOf(const View* view)
{
    return itemsOf(view->model());
}
template <typename View> void fill(View* view, const QStringList& items)
{
    fill(view->model(), items);
}

// The four sample codes, in the order "Load Sample/Example UPCs" adds them.
inline const QStringList SampleCodes = {"801927504622", "012345678905", "712345678904",
                                        "279347895943"};

// Selects item `i` of a list of the window, as a click on it does.
template <typename View> void selectItem(View& view, qsizetype i)
{
    view.model().checkIndex(i);
    view.model().publish();
    view.selectionModel()->setCurrentIndex(view.model().index(int(i - 1), 0),
                                           QItemSelectionModel::ClearAndSelect |
                                               QItemSelectionModel::Rows);
}
