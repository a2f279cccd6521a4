#include "gui/ListView.h"

#include "gui/Twips.h"

#include <QContextMenuEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QUrl>

namespace {

// The window's key code of a key: the code of the key itself, whatever
// character it types. Letters and the digits of the main keyboard keep the
// code of their capital letter or digit; the keypad's keys have codes of
// their own, so the keypad's "." is no Delete key. Keys without a code give 0.
int keyCode(const QKeyEvent* event)
{
    const int key = event->key();
    const bool keypad = event->modifiers() & Qt::KeypadModifier;
    if (keypad && key >= Qt::Key_0 && key <= Qt::Key_9)
        return 96 + (key - Qt::Key_0);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return key; // '0' ... '9'
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return key; // 'A' ... 'Z'
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 112 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 9;
    case Qt::Key_Clear:
        return 12;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    case Qt::Key_Pause:
        return 19;
    case Qt::Key_CapsLock:
        return 20;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Print:
        return 44;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return ListView::DeleteKeyCode;
    case Qt::Key_Meta:
        return 91;
    case Qt::Key_Menu:
        return 93;
    case Qt::Key_NumLock:
        return 144;
    case Qt::Key_ScrollLock:
        return 145;
    default:
        break;
    }
    if (keypad) {
        switch (key) {
        case Qt::Key_Asterisk:
            return 106;
        case Qt::Key_Plus:
            return 107;
        case Qt::Key_Minus:
            return 109;
        case Qt::Key_Period:
        case Qt::Key_Comma:
            return 110;
        case Qt::Key_Slash:
            return 111;
        default:
            return 0;
        }
    }
    // The digit and punctuation keys of a US keyboard, shifted or not.
    switch (key) {
    case Qt::Key_ParenRight:
        return '0';
    case Qt::Key_Exclam:
        return '1';
    case Qt::Key_At:
        return '2';
    case Qt::Key_NumberSign:
        return '3';
    case Qt::Key_Dollar:
        return '4';
    case Qt::Key_Percent:
        return '5';
    case Qt::Key_AsciiCircum:
        return '6';
    case Qt::Key_Ampersand:
        return '7';
    case Qt::Key_Asterisk:
        return '8';
    case Qt::Key_ParenLeft:
        return '9';
    case Qt::Key_Semicolon:
    case Qt::Key_Colon:
        return 186;
    case Qt::Key_Equal:
    case Qt::Key_Plus:
        return 187;
    case Qt::Key_Comma:
    case Qt::Key_Less:
        return 188;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        return 189;
    case Qt::Key_Period:
    case Qt::Key_Greater:
        return 190;
    case Qt::Key_Slash:
    case Qt::Key_Question:
        return 191;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde:
        return 192;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft:
        return 219;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
        return 220;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight:
        return 221;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl:
        return 222;
    default:
        return 0;
    }
}

// The local files among the addresses of dropped data.
QStringList localFiles(const QMimeData* data)
{
    QStringList files;
    if (data && data->hasUrls())
        for (const QUrl& url : data->urls())
            if (url.isLocalFile())
                files.append(url.toLocalFile());
    return files;
}

bool takesDrop(const QMimeData* data)
{
    return data && (!localFiles(data).isEmpty() || data->hasText());
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
    // Tab moves the focus to the window's next control, not the selection.
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 2);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    viewport()->setMouseTracking(true);
    // The column header and the scroll bars are parts of the list: the
    // pointer moving over them is a move over the list.
    for (QWidget* part :
         {horizontalHeader()->viewport(), static_cast<QWidget*>(horizontalScrollBar()),
          static_cast<QWidget*>(verticalScrollBar())}) {
        part->setMouseTracking(true);
        part->installEventFilter(this);
    }
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
    m_model.checkIndex(i);
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
    // Tab and Shift+Tab never get here: they move the focus. Ctrl+Tab and
    // Ctrl+Shift+Tab leave the list the same way, as in a dialog.
    if ((event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) &&
        !(event->modifiers() & Qt::AltModifier)) {
        const bool back =
            event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
        focusNextPrevChild(!back);
        event->accept();
        return;
    }
    emit KeyDown(keyCode(event), shift);
    // The Menu key and Shift+F10 open the right-click menu. (On X11 the Menu
    // key comes as a menu request of its own, and the open menu takes the key.)
    if (event->key() == Qt::Key_Menu ||
        (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
        event->accept();
        emit ContextMenu(keyboardMenuPosition());
        return;
    }
    QTableView::keyPressEvent(event);
}

QPoint ListView::keyboardMenuPosition() const
{
    // Below the selected item when it shows, else at the list's corner.
    const qsizetype selected = SelectedItem();
    QRect at = selected > 0 ? visualRect(m_model.index(int(selected - 1), 0)) : QRect();
    if (!at.isValid() || !viewport()->rect().intersects(at))
        at = QRect(0, 0, 1, 1);
    return viewport()->mapToGlobal(at.bottomLeft());
}

void ListView::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
    emit ContextMenu(event->reason() == QContextMenuEvent::Keyboard ? keyboardMenuPosition()
                                                                    : event->globalPos());
}

void ListView::SetAcceptsDrops(bool accepts)
{
    m_acceptsDrops = accepts;
    setAcceptDrops(accepts);
    viewport()->setAcceptDrops(accepts);
}

void ListView::dragEnterEvent(QDragEnterEvent* event)
{
    if (m_acceptsDrops && takesDrop(event->mimeData())) {
        // A copy, whatever the source offers: a dropped file is never moved.
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void ListView::dragMoveEvent(QDragMoveEvent* event)
{
    if (m_acceptsDrops && takesDrop(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void ListView::dropEvent(QDropEvent* event)
{
    if (!m_acceptsDrops || !takesDrop(event->mimeData())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    const QStringList files = localFiles(event->mimeData());
    emit Dropped(files, files.isEmpty() ? event->mimeData()->text() : QString());
}

bool ListView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove)
        emit MouseMove();
    return QTableView::eventFilter(watched, event);
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
    // A press on the empty area below or beside the items keeps the selected
    // item, so that a double-click there removes it.
    if (event->type() == QEvent::MouseButtonPress &&
        !indexAt(static_cast<QMouseEvent*>(event)->position().toPoint()).isValid()) {
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return true;
    }
    return QTableView::viewportEvent(event);
}
