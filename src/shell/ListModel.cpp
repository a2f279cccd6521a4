#include "shell/ListModel.h"

#include "shell/Failure.h"

namespace {

// The view is told about new rows at most this often.
constexpr int FrameMilliseconds = 40;

// The most characters of one text the view draws: far more than the widest
// column shows, and a text of millions of characters would take seconds to
// lay out at every repaint. The list itself keeps the whole text.
constexpr qsizetype MostCharactersDrawn = 4096;

QString shown(const QString& text)
{
    return text.size() > MostCharactersDrawn ? text.first(MostCharactersDrawn) : text;
}

} // namespace

void ListModel::indexOutOfBounds()
{
    throw Failure(QLatin1String(FailureText::IndexOutOfBounds));
}

ListModel::ListModel(QObject* parent) : QAbstractTableModel(parent)
{
    m_publishTimer.setSingleShot(true);
    m_publishTimer.setInterval(FrameMilliseconds);
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
    const ListItem& it = m_items[size_t(index.row())];
    if (role == Qt::DisplayRole) {
        if (index.column() == 0)
            return shown(it.text);
        const int sub = index.column() - 1;
        return sub < it.subItems.size() ? shown(it.subItems.at(sub)) : QString();
    }
    if (role == Qt::CheckStateRole && index.column() == 0)
        return it.checked ? Qt::Checked : Qt::Unchecked;
    return {};
}

bool ListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.row() >= m_published || role != Qt::CheckStateRole)
        return false;
    m_items[size_t(index.row())].checked = value.toInt() == Qt::Checked;
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

QString ListModel::SubItem(qsizetype i, int column) const
{
    const ListItem& it = item(i);
    const qsizetype sub = column - 2;
    if (column < 2)
        indexOutOfBounds();
    return sub < it.subItems.size() ? it.subItems.at(sub) : QString();
}

void ListModel::append(ListItem item)
{
    m_items.push_back(std::move(item));
    schedulePublish();
}

void ListModel::RemoveItem(qsizetype i)
{
    if (i < 1 || i > ItemCount())
        indexOutOfBounds();
    const qsizetype row = i - 1;
    if (row < m_published) {
        beginRemoveRows({}, int(row), int(row));
        m_items.erase(m_items.begin() + row);
        --m_published;
        endRemoveRows();
    } else {
        m_items.erase(m_items.begin() + row);
    }
}

void ListModel::Clear()
{
    beginResetModel();
    m_items.clear();
    m_items.shrink_to_fit();
    m_published = 0;
    endResetModel();
}

void ListModel::SetChecked(qsizetype i, bool checked)
{
    if (i < 1 || i > ItemCount())
        indexOutOfBounds();
    m_items[size_t(i - 1)].checked = checked;
    if (i - 1 < m_published) {
        const QModelIndex at = index(int(i - 1), 0);
        emit dataChanged(at, at, {Qt::CheckStateRole});
    }
}

void ListModel::SetAllChecked(bool checked)
{
    for (ListItem& it : m_items)
        it.checked = checked;
    if (m_published > 0)
        emit dataChanged(index(0, 0), index(int(m_published - 1), 0), {Qt::CheckStateRole});
}

void ListModel::publish()
{
    m_publishTimer.stop();
    if (m_published >= ItemCount())
        return;
    beginInsertRows({}, int(m_published), int(ItemCount() - 1));
    m_published = ItemCount();
    endInsertRows();
}

void ListModel::schedulePublish()
{
    if (!m_publishTimer.isActive())
        m_publishTimer.start();
}
