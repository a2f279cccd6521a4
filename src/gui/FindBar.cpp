#include "gui/FindBar.h"

#include "core/base/PacedYield.h"
#include "core/list/ItemSearch.h"
#include "features/host/Host.h"
#include "gui/ListView.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

FindBar::FindBar(ListView& list, Host& host)
    : QWidget(&list, Qt::Tool), m_list(list), m_host(host), m_entry(new QLineEdit(this)),
      m_status(new QLabel(this))
{
    setObjectName(QStringLiteral("FindBar"));
    setWindowTitle(QStringLiteral("Find in ") + list.accessibleName());
    setAccessibleName(windowTitle());
    auto* label = new QLabel(QStringLiteral("&Find:"), this);
    label->setBuddy(m_entry);
    m_entry->setAccessibleName(QStringLiteral("Find"));
    m_status->setAccessibleName(QStringLiteral("Matches"));
    m_status->setMinimumWidth(
        fontMetrics().horizontalAdvance(QStringLiteral("9,999 of 9,999,999 matches")));
    auto* previous = new QPushButton(QStringLiteral("Previous"), this);
    auto* next = new QPushButton(QStringLiteral("Next"), this);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 4, 4, 4);
    row->addWidget(label);
    row->addWidget(m_entry);
    row->addWidget(m_status);
    row->addWidget(previous);
    row->addWidget(next);
    connect(m_entry, &QLineEdit::textChanged, this,
            [this] { find(std::max<qsizetype>(m_list.SelectedItem() - 1, 0), false, true); });
    connect(m_entry, &QLineEdit::returnPressed, this, [this] { findNext(false); });
    connect(previous, &QPushButton::clicked, this, [this] { findNext(true); });
    connect(next, &QPushButton::clicked, this, [this] { findNext(false); });
    // A change of the list makes the count unknown until the next search.
    const auto forget = [this] {
        ++m_changes;
        m_total = -1;
        m_status->clear();
    };
    connect(&list.model(), &ListModel::rowsInserted, this, forget);
    connect(&list.model(), &ListModel::rowsRemoved, this, forget);
    connect(&list.model(), &ListModel::modelReset, this, forget);
}

FindBar& FindBar::openFor(ListView& list, Host& host)
{
    auto* bar = list.findChild<FindBar*>(QString(), Qt::FindDirectChildrenOnly);
    if (!bar)
        bar = new FindBar(list, host);
    // Over the list's bottom edge, at its right.
    bar->adjustSize();
    const QPoint corner = list.mapToGlobal(QPoint(list.width(), list.height()));
    bar->move(corner - QPoint(bar->width(), bar->height() / 2));
    bar->show();
    bar->raise();
    bar->activateWindow();
    bar->m_entry->setFocus();
    bar->m_entry->selectAll();
    return *bar;
}

QString FindBar::status() const
{
    return m_status->text();
}

void FindBar::findNext(bool backward)
{
    const qsizetype selected = m_list.SelectedItem() - 1;
    const qsizetype from = selected < 0 ? (backward ? -1 : 0) : selected + (backward ? -1 : 1);
    find(from, backward, selected != m_current);
}

void FindBar::find(qsizetype from, bool backward, bool recount)
{
    m_list.Refresh(); // every item is in the view before changes are watched
    const int run = ++m_run;
    const int changes = m_changes;
    const ItemSearch search(m_entry->text());
    const ItemStore& items = m_list.model().items();
    PacedYield yield([this] { m_host.DoEvents(); });
    const auto goOn = [&] {
        yield();
        return run == m_run;
    };
    const qsizetype n = std::max<qsizetype>(items.count(), 1);
    m_status->setText(search.isEmpty() ? QString() : QStringLiteral("Searching\u2026"));
    const qsizetype found = search.findFrom(items, (from % n + n) % n, backward, goOn);
    if (run != m_run)
        return;
    if (found < 0) {
        m_total = search.isEmpty() ? -1 : 0;
        return showCount();
    }
    m_list.Refresh();
    const QModelIndex at = m_list.model().index(int(found), 0);
    m_list.selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect |
                                                     QItemSelectionModel::Rows);
    m_list.scrollTo(at);
    if (!recount && m_total > 0) {
        m_ordinal = (m_ordinal - 1 + (backward ? m_total - 1 : 1)) % m_total + 1;
    } else {
        m_status->setText(QStringLiteral("Counting\u2026"));
        const auto tally = search.count(items, found, goOn);
        if (!tally || m_changes != changes)
            return;
        m_total = tally->total;
        m_ordinal = tally->before + 1;
    }
    m_current = found;
    showCount();
}

void FindBar::showCount()
{
    const QLocale locale;
    if (m_total < 0)
        m_status->clear();
    else if (m_total == 0)
        m_status->setText(QStringLiteral("No match"));
    else
        m_status->setText(
            QStringLiteral("%1 of %2 %3")
                .arg(locale.toString(m_ordinal), locale.toString(m_total),
                     m_total == 1 ? QStringLiteral("match") : QStringLiteral("matches")));
}

void FindBar::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        close();
    else if (event->key() == Qt::Key_F3)
        findNext(event->modifiers().testFlag(Qt::ShiftModifier));
    else
        QWidget::keyPressEvent(event);
}

void FindBar::hideEvent(QHideEvent* event)
{
    ++m_run; // ends a search under way
    m_list.activateWindow();
    m_list.setFocus();
    QWidget::hideEvent(event);
}
