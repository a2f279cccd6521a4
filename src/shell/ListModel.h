#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QTimer>
#include <vector>

// One item of a list: its text, the texts of later columns, and its check mark.
struct ListItem
{
    QString text;
    QStringList subItems;
    bool checked = true;
};

// The items of one of the window's lists, and the list's own operations.
// Item and column numbers count from 1; reading an item or a column that does
// not exist throws Failure "Index out of bounds".
//
// A view is told about appended rows in batches, at most once a frame, so that
// appending a million items stays cheap; the operations always see every item.
class ListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit ListModel(QObject* parent = nullptr);

    // Column headers.
    void AddColumnHeader(const QString& text);
    int ColumnCount() const { return int(m_headers.size()); }
    const QString& HeaderText(int column) const;

    // Items.
    qsizetype ItemCount() const { return qsizetype(m_items.size()); }
    void AppendItem(const QString& text) { append(ListItem{text, {}, true}); }
    void AppendItem(const QString& text, const QStringList& subItems)
    {
        append(ListItem{text, subItems, true});
    }
    const QString& ItemText(qsizetype i) const { return item(i).text; }
    // The text of column `column` (2 and later) of item i; "" when it has none.
    QString SubItem(qsizetype i, int column) const;
    bool Checked(qsizetype i) const { return item(i).checked; }
    void SetChecked(qsizetype i, bool checked);
    // Ticks or unticks every item.
    void SetAllChecked(bool checked);
    void RemoveItem(qsizetype i);
    void Clear();

    const ListItem& item(qsizetype i) const
    {
        if (i < 1 || i > ItemCount())
            indexOutOfBounds();
        return m_items[size_t(i - 1)];
    }
    void append(ListItem item);

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
    std::vector<ListItem> m_items;
    qsizetype m_published = 0;
    QTimer m_publishTimer;
};
