#pragma once

#include "core/list/ItemStore.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QStringView>
#include <QTimer>

// The items of one of the window's lists (held compactly in an ItemStore),
// and the list's own operations. Item and column numbers count from 1;
// reading an item or a column that does not exist throws Failure "Index out
// of bounds".
//
// A view is told about appended rows in batches, at most once a frame, so that
// appending a million items stays cheap; the operations always see every item.
class ListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit ListModel(QObject* parent = nullptr);

    void AddColumnHeader(const QString& text);
    int ColumnCount() const { return int(m_headers.size()); }
    const QString& HeaderText(int column) const;

    qsizetype ItemCount() const { return m_items.count(); }
    void AppendItem(QStringView text) { AppendItem(HeldText(text)); }
    void AppendItem(const QString& text) { AppendItem(HeldText(text)); }
    void AppendItem(QLatin1StringView text) { AppendItem(HeldText(text)); }
    // Appends a text as another list holds it (HeldTextAt), without widening it.
    void AppendItem(HeldText text);
    void AppendItem(QStringView text, const QStringList& subItems);
    void AppendItem(const QString& text, const QStringList& subItems)
    {
        AppendItem(QStringView(text), subItems);
    }
    // Appends every text of a range at once (see ItemStore::appendMany).
    template <typename Range> void appendMany(const Range& texts)
    {
        m_items.appendMany(texts);
        schedulePublish();
    }
    // Makes room for `items` more items of `characters` characters in all.
    void reserve(qsizetype items, qsizetype characters) { m_items.reserve(items, characters); }

    // Item i's text as a string of its own, which stays what it is while the
    // list changes (a feature may yield to the window before using it).
    QString ItemText(qsizetype i) const { return HeldTextAt(i).toString(); }
    // The text as the list holds it, without a copy, valid only until the
    // list next changes: for hot loops that do not yield before using it.
    HeldText HeldTextAt(qsizetype i) const;
    // The text of column `column` (2 and later) of item i; "" when it has none.
    QString SubItem(qsizetype i, int column) const;
    bool Checked(qsizetype i) const;
    void SetChecked(qsizetype i, bool checked);
    void SetAllChecked(bool checked);
    void RemoveItem(qsizetype i);
    void Clear();
    // Keeps the first item of each text and answers how many went.
    qsizetype removeDuplicates();

    // The items themselves, numbered from 0, for loops over the whole list.
    const ItemStore& items() const { return m_items; }

    // Throws "Index out of bounds" unless item i exists.
    void checkIndex(qsizetype i) const;

    // Tells the view about every row appended since the last time.
    void publish();

    // Qt's model interface, answering for the rows the view has been told of.
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    [[noreturn]] static void indexOutOfBounds();

private:
    void schedulePublish();

    QStringList m_headers;
    ItemStore m_items;
    qsizetype m_published = 0;
    QTimer m_publishTimer;
    bool m_publishDue = false; // the timer runs
};
