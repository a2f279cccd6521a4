#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QTableView>
#include <QTimer>
#include <vector>

// One item of a list: its text, the texts of later columns, and its check mark.
struct ListItem
{
    QString text;
    QStringList subItems;
    bool checked = true;
};

// The items behind a list, seen by the view. The list's own operations always
// see every item; the view is told about appended rows in batches, at most
// once a frame, so that appending a million items stays cheap.
class ListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit ListModel(QObject* parent = nullptr);

    // Qt's model interface, answering for the rows the view has been told of.
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The list's operations (item numbers from 1; see ListView).
    void addColumn(const QString& header);
    int columns() const { return int(m_headers.size()); }
    const QString& header(int c) const;
    qsizetype count() const { return qsizetype(m_items.size()); }
    const ListItem& item(qsizetype i) const;
    ListItem& item(qsizetype i);
    void append(ListItem item);
    void remove(qsizetype i);
    void clear();
    void setChecked(qsizetype i, bool checked);

    // Tells the view about every row appended since the last time.
    void publish();

private:
    void schedulePublish();

    QStringList m_headers;
    std::vector<ListItem> m_items;
    qsizetype m_published = 0;
    QTimer m_publishTimer;
};

// A list of the window: a report-style list view with check boxes, one
// selected item at most, and a header whose column can be dragged wider than
// the list. Item numbers count from 1; reading an item that does not exist
// throws Failure "Index out of bounds".
class ListView : public QTableView
{
    Q_OBJECT

public:
    static constexpr int DeleteKeyCode = 46;

    explicit ListView(QWidget* parent = nullptr);

    // Column headers.
    void AddColumnHeader(const QString& text);
    void SetColumnWidth(int column, int twips);
    int ColumnWidth(int column) const;
    int ColumnCount() const;
    QString HeaderText(int column) const;

    // Items.
    qsizetype ItemCount() const;
    void AppendItem(const QString& text);
    void AppendItem(const QString& text, const QStringList& subItems);
    const QString& ItemText(qsizetype i) const;
    // The text of column `column` (2 and later) of item i; "" when it has none.
    QString SubItem(qsizetype i, int column) const;
    bool Checked(qsizetype i) const;
    void SetChecked(qsizetype i, bool checked);
    void RemoveItem(qsizetype i);
    void Clear();

    // The selected item's number, or 0 when none is selected.
    qsizetype SelectedItem() const;
    void SelectItem(qsizetype i);

    // Shows every appended row now, instead of at the next frame.
    void Refresh();

    ListModel& model() { return m_model; }

signals:
    void DblClick();
    // The key's code (Delete is 46, letters and digits their character's
    // code; keys without a code 0) and the state of Shift (1), Ctrl (2) and
    // Alt (4).
    void KeyDown(int keyCode, int shift);
    void MouseMove();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ListModel m_model;
};
