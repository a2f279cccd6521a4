#include "core/list/ListModel.h"

#include "core/base/Failure.h"
#include "core/list/Duplicates.h"

#include <algorithm>

namespace {

// The view is told about new rows at most this often.
constexpr int FrameMilliseconds = 40;

// A view's relayout after new rows walks every row it has (its row header
// keeps a position for each), so a long list tells it less often: once per a
// millisecond for every this many rows it already shows, up to a quarter of a
// second, which keeps that walk to a small share of the time of a long append.
constexpr qsizetype RowsPerExtraMillisecond = 50'000;
constexpr int LongestFrameMilliseconds = 250;

// The most characters of one text the view draws: far more than the widest
// column shows, and a text of millions of characters would take seconds to
// lay out at every repaint. The list itself keeps the whole text.
constexpr qsizetype MostCharactersDrawn = 4096;

QString shown(HeldText text)
{
    return text.visit([](auto view) {
        return view.first(std::min(view.size(), MostCharactersDrawn)).toString();
    });
}

} // namespace

void ListModel::indexOutOfBounds()
{
    throw Failure(QLatin1String(FailureText::IndexOutOfBounds));
}

ListModel::ListModel(QObject* parent) : QAbstractTableModel(parent)
{
    m_publishTimer.setSingleShot(true);
    connect(&m_publishTimer, &QTimer::timeout, this, &ListModel::publish);
}

int ListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_published);
}

int ListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant ListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_published)
        return {};
    const qsizetype row = index.row();
    if (role == Qt::DisplayRole) {
        if (index.column() == 0)
            return shown(m_items.text(row));
        return shown(m_items.subItem(row, index.column() - 1));
    }
    if (role == Qt::CheckStateRole && index.column() == 0)
        return m_items.checked(row) ? Qt::Checked : Qt::Unchecked;
    return {};
}

bool ListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.row() >= m_published || role != Qt::CheckStateRole)
        return false;
    m_items.setChecked(index.row(), value.toInt() == Qt::Checked);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < m_headers.size())
        return m_headers.at(section);
    if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

void ListModel::AddColumnHeader(const QString& text)
{
    const int c = int(m_headers.size());
    beginInsertColumns({}, c, c);
    m_headers.append(text);
    endInsertColumns();
}

const QString& ListModel::HeaderText(int column) const
{
    if (column < 1 || column > m_headers.size())
        indexOutOfBounds();
    return m_headers.at(column - 1);
}

void ListModel::checkIndex(qsizetype i) const
{
    if (i < 1 || i > ItemCount())
        indexOutOfBounds();
}

void ListModel::AppendItem(HeldText text)
{
    m_items.append(text);
    schedulePublish();
}

void ListModel::AppendItem(QStringView text, const QStringList& subItems)
{
    m_items.append(text, subItems);
    schedulePublish();
}

HeldText ListModel::HeldTextAt(qsizetype i) const
{
    checkIndex(i);
    return m_items.text(i - 1);
}

bool ListModel::Checked(qsizetype i) const
{
    checkIndex(i);
    return m_items.checked(i - 1);
}

QString ListModel::SubItem(qsizetype i, int column) const
{
    checkIndex(i);
    if (column < 2)
        indexOutOfBounds();
    return m_items.subItem(i - 1, column - 2);
}

void ListModel::RemoveItem(qsizetype i)
{
    checkIndex(i);
    const qsizetype row = i - 1;
    if (row < m_published) {
        beginRemoveRows({}, int(row), int(row));
        m_items.remove(row);
        --m_published;
        endRemoveRows();
    } else {
        m_items.remove(row);
    }
}

qsizetype ListModel::removeDuplicates()
{
    const std::vector<bool> first = Duplicates::FirstOfEach(m_items);
    const qsizetype before = m_items.count();
    beginResetModel();
    m_items.keepOnly(first);
    m_published = m_items.count();
    endResetModel();
    return before - m_items.count();
}

void ListModel::Clear()
{
    beginResetModel();
    m_items.clear();
    m_published = 0;
    endResetModel();
}

void ListModel::SetChecked(qsizetype i, bool checked)
{
    checkIndex(i);
    m_items.setChecked(i - 1, checked);
    if (i - 1 < m_published) {
        const QModelIndex at = index(int(i - 1), 0);
        emit dataChanged(at, at, {Qt::CheckStateRole});
    }
}

void ListModel::SetAllChecked(bool checked)
{
    m_items.setAllChecked(checked);
    if (m_published > 0)
        emit dataChanged(index(0, 0), index(int(m_published - 1), 0), {Qt::CheckStateRole});
}

void ListModel::publish()
{
    m_publishTimer.stop();
    m_publishDue = false;
    if (m_published >= ItemCount())
        return;
    beginInsertRows({}, int(m_published), int(ItemCount() - 1));
    m_published = ItemCount();
    endInsertRows();
}

void ListModel::schedulePublish()
{
    if (m_publishDue)
        return;
    m_publishTimer.start(int(std::clamp<qsizetype>(m_published / RowsPerExtraMillisecond,
                                                   FrameMilliseconds, LongestFrameMilliseconds)));
    m_publishDue = true;
}
