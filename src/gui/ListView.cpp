#include "gui/ListView.h"

#include "features/CodeListEditing.h"
#include "gui/Twips.h"

#include <QContextMenuEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QUrl>
#include <algorithm>
#include <span>
#include <utility>

namespace {

// Key codes beside letters, digits and function keys. The keypad's keys have
// codes of their own, so its "." is no Delete key. A code is never 0.
using KeyCodes = std::pair<int, int>[];
constexpr KeyCodes AnyKey = {
    {Qt::Key_Backspace, 8}, {Qt::Key_Tab, 9},
    {Qt::Key_Backtab, 9},   {Qt::Key_Clear, 12},
    {Qt::Key_Return, 13},   {Qt::Key_Enter, 13},
    {Qt::Key_Shift, 16},    {Qt::Key_Control, 17},
    {Qt::Key_Alt, 18},      {Qt::Key_Pause, 19},
    {Qt::Key_CapsLock, 20}, {Qt::Key_Escape, 27},
    {Qt::Key_Space, 32},    {Qt::Key_PageUp, 33},
    {Qt::Key_PageDown, 34}, {Qt::Key_End, 35},
    {Qt::Key_Home, 36},     {Qt::Key_Left, 37},
    {Qt::Key_Up, 38},       {Qt::Key_Right, 39},
    {Qt::Key_Down, 40},     {Qt::Key_Print, 44},
    {Qt::Key_Insert, 45},   {Qt::Key_Delete, CodeListEditing::DeleteKeyCode},
    {Qt::Key_Meta, 91},     {Qt::Key_Menu, 93},
    {Qt::Key_NumLock, 144}, {Qt::Key_ScrollLock, 145},
};
constexpr KeyCodes KeypadKey = {
    {Qt::Key_Asterisk, 106}, {Qt::Key_Plus, 107},  {Qt::Key_Minus, 109},
    {Qt::Key_Period, 110},   {Qt::Key_Comma, 110}, {Qt::Key_Slash, 111},
};
// The digit and punctuation keys of a US keyboard, shifted or not.
constexpr KeyCodes MainKey = {
    {Qt::Key_ParenRight, '0'},  {Qt::Key_Exclam, '1'},       {Qt::Key_At, '2'},
    {Qt::Key_NumberSign, '3'},  {Qt::Key_Dollar, '4'},       {Qt::Key_Percent, '5'},
    {Qt::Key_AsciiCircum, '6'}, {Qt::Key_Ampersand, '7'},    {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'},   {Qt::Key_Semicolon, 186},    {Qt::Key_Colon, 186},
    {Qt::Key_Equal, 187},       {Qt::Key_Plus, 187},         {Qt::Key_Comma, 188},
    {Qt::Key_Less, 188},        {Qt::Key_Minus, 189},        {Qt::Key_Underscore, 189},
    {Qt::Key_Period, 190},      {Qt::Key_Greater, 190},      {Qt::Key_Slash, 191},
    {Qt::Key_Question, 191},    {Qt::Key_QuoteLeft, 192},    {Qt::Key_AsciiTilde, 192},
    {Qt::Key_BracketLeft, 219}, {Qt::Key_BraceLeft, 219},    {Qt::Key_Backslash, 220},
    {Qt::Key_Bar, 220},         {Qt::Key_BracketRight, 221}, {Qt::Key_BraceRight, 221},
    {Qt::Key_Apostrophe, 222},  {Qt::Key_QuoteDbl, 222},
};

int codeIn(std::span<const std::pair<int, int>> table, int key)
{
    const auto found = std::ranges::find(table, key, &std::pair<int, int>::first);
    return found == table.end() ? 0 : found->second;
}

// The key code of the key itself, whatever character it types: a letter or a
// main keyboard digit has its capital's or digit's; 0 for a key without one.
int keyCode(const QKeyEvent* event)
{
    const int key = event->key();
    const bool keypad = event->modifiers() & Qt::KeypadModifier;
    if (keypad && key >= Qt::Key_0 && key <= Qt::Key_9)
        return 96 + (key - Qt::Key_0);
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z))
        return key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 112 + (key - Qt::Key_F1);
    if (const int code = codeIn(AnyKey, key))
        return code;
    return keypad ? codeIn(KeypadKey, key) : codeIn(MainKey, key);
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
    // A screen reader hears the count that the right-click menu opens with.
    const auto describe = [this] { setAccessibleDescription(CodeListEditing::countLine(m_model)); };
    connect(&m_model, &QAbstractItemModel::rowsInserted, this, describe);
    connect(&m_model, &QAbstractItemModel::rowsRemoved, this, describe);
    connect(&m_model, &QAbstractItemModel::modelReset, this, describe);
    connect(&m_model, &QAbstractItemModel::dataChanged, this, describe);
    describe();
}

void ListView::SetColumnWidth(int column, int twips)
{
    if (column < 1 || column > m_model.ColumnCount())
        ListModel::indexOutOfBounds();
    setColumnWidth(column - 1, Twips::toPixels(twips));
}

qsizetype ListView::SelectedItem() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? 0 : rows.first().row() + 1;
}

void ListView::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers held = event->modifiers();
    const int shift = (held & Qt::ShiftModifier ? 1 : 0) | (held & Qt::ControlModifier ? 2 : 0) |
                      (held & Qt::AltModifier ? 4 : 0);
    // Tab and Shift+Tab never get here: they move the focus. Ctrl+Tab and
    // Ctrl+Shift+Tab leave the list the same way, as in a dialog.
    if ((event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) &&
        !(held & Qt::AltModifier)) {
        focusNextPrevChild(event->key() == Qt::Key_Tab && !(held & Qt::ShiftModifier));
        event->accept();
        return;
    }
    emit KeyDown(keyCode(event), shift);
    // The Menu key and Shift+F10 open the right-click menu. (On X11 the Menu
    // key comes as a menu request of its own, and the open menu takes the key.)
    if (event->key() == Qt::Key_Menu ||
        (event->key() == Qt::Key_F10 && held == Qt::ShiftModifier)) {
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
    setAcceptDrops(accepts);
    viewport()->setAcceptDrops(accepts);
}

// A drop is taken as a copy, whatever the source offers: a dropped file is
// never moved.
bool ListView::takeDrop(QDropEvent* event) const
{
    const QMimeData* data = event->mimeData();
    const bool takes = acceptDrops() && data && (!localFiles(data).isEmpty() || data->hasText());
    if (takes)
        event->setDropAction(Qt::CopyAction);
    event->setAccepted(takes);
    return takes;
}

void ListView::dropEvent(QDropEvent* event)
{
    if (!takeDrop(event))
        return;
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
