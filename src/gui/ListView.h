#pragma once

#include "core/list/ListModel.h"

#include <QDragEnterEvent>
#include <QTableView>

// A list of the window: a report-style list view with check boxes, one
// selected item at most, and a header whose column can be dragged wider than
// the list. Its items are its model(); the item operations here are the
// model's (numbers from 1, "Index out of bounds" for one that does not exist).
class ListView : public QTableView
{
    Q_OBJECT

public:
    explicit ListView(QWidget* parent = nullptr);

    ListModel& model() { return m_model; }
    const ListModel& model() const { return m_model; }

    void SetColumnWidth(int column, int twips);
    qsizetype ItemCount() const { return m_model.ItemCount(); }
    void AppendItem(const QString& text) { m_model.AppendItem(text); }
    void SetChecked(qsizetype i, bool checked) { m_model.SetChecked(i, checked); }
    void Clear() { m_model.Clear(); }

    // The selected item's number, or 0 when none is selected.
    qsizetype SelectedItem() const;

    // Shows every appended row now, instead of at the next frame.
    void Refresh() { m_model.publish(); }

    // Whether files and text dropped on the list are taken (see Dropped).
    void SetAcceptsDrops(bool accepts);

signals:
    void DblClick();
    // The key's code (Delete is 46, letters and digits their character's
    // code; keys without a code 0) and the state of Shift (1), Ctrl (2) and
    // Alt (4).
    void KeyDown(int keyCode, int shift);
    void MouseMove();
    // The right-click menu is asked for, by the mouse or by the Menu key or
    // Shift+F10, to show at `globalPos`.
    void ContextMenu(const QPoint& globalPos);
    // Something was dropped on the list: the local files among its addresses,
    // or its text when it holds no local file.
    void Dropped(const QStringList& files, const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override { dragMoveEvent(event); }
    void dragMoveEvent(QDragMoveEvent* event) override { takeDrop(event); }
    void dropEvent(QDropEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPoint keyboardMenuPosition() const;
    bool takeDrop(QDropEvent* event) const;

    ListModel m_model;
};
