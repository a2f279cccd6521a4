#include "shell/window/ListView.h"

#include "shell/Twips.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

// The key codes of the keys that have one of their own; letters and digits
// keep their character code.
int keyCode(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    case Qt::Key_Delete:
        return ListView::DeleteKeyCode;
    default:
        return qtKey & 0xFFFF;
    }
}

} // namespace

ListView::ListView(QWidget* parent) : QTableView(parent)
{
    setModel(&m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 2);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    viewport()->setMouseTracking(true);
}

void ListView::SetColumnWidth(int column, int twips)
{
    if (column < 1 || column > ColumnCount())
        ListModel::indexOutOfBounds();
    setColumnWidth(column - 1, Twips::toPixels(twips));
}

int ListView::ColumnWidth(int column) const
{
    if (column < 1 || column > ColumnCount())
        ListModel::indexOutOfBounds();
    return Twips::fromPixels(columnWidth(column - 1));
}

qsizetype ListView::SelectedItem() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? 0 : rows.first().row() + 1;
}

void ListView::SelectItem(qsizetype i)
{
    m_model.item(i); // fails for an item that does not exist
    m_model.publish();
    const QModelIndex at = m_model.index(int(i - 1), 0);
    selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect |
                                              QItemSelectionModel::Rows);
}

void ListView::keyPressEvent(QKeyEvent* event)
{
    int shift = 0;
    if (event->modifiers() & Qt::ShiftModifier)
        shift |= 1;
    if (event->modifiers() & Qt::ControlModifier)
        shift |= 2;
    if (event->modifiers() & Qt::AltModifier)
        shift |= 4;
    emit KeyDown(keyCode(event->key()), shift);
    QTableView::keyPressEvent(event);
}

bool ListView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::MouseMove) {
        emit MouseMove();
        QTableView::viewportEvent(event);
        event->accept();
        return true;
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        emit DblClick();
        return true;
    }
    return QTableView::viewportEvent(event);
}
