#include "core/text/CodeColumn.h"
#include "gui/platform/QtPlatform.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// The longest first cell a column's name shows.
constexpr qsizetype NamedCharacters = 30;

// A column's name in the list: its letters, and its first cell if any.
QString columnName(int column, const std::vector<QStringList>& rows)
{
    QString letters = CodeColumn::letters(column);
    if (rows.empty() || column >= rows.front().size())
        return letters;
    QString first = rows.front().at(column).simplified();
    if (first.isEmpty())
        return letters;
    if (first.size() > NamedCharacters)
        first = first.left(NamedCharacters - 1) + QChar(u'\u2026');
    return letters + QStringLiteral(" \u2014 ") + first;
}

// Asks which column of a table holds the codes: the first rows in a table,
// the columns in a list named by their letters and first cells ("B — UPC"),
// and whether the first row is a header. Everything is reachable by
// keyboard: the list has the focus, Return accepts and Escape cancels.
class ColumnDialog : public QDialog
{
    Q_OBJECT

public:
    ColumnDialog(const QString& fileName, const std::vector<QStringList>& rows,
                 const ColumnChoice& proposed, QWidget* parent)
        : QDialog(parent)
    {
        setObjectName(QStringLiteral("ColumnDialog"));
        setWindowTitle(QStringLiteral("Load Codes From %1").arg(fileName));
        const int width = std::max(CodeColumn::width(rows), proposed.column + 1);

        auto* label = new QLabel(QStringLiteral("&Column with the codes:"), this);
        m_columns = new QComboBox(this);
        m_columns->setObjectName(QStringLiteral("columns"));
        m_columns->setAccessibleName(QStringLiteral("Column with the codes"));
        QStringList letters;
        for (int c = 0; c < width; ++c) {
            m_columns->addItem(columnName(c, rows));
            letters.append(CodeColumn::letters(c));
        }
        label->setBuddy(m_columns);

        m_header = new QCheckBox(QStringLiteral("First row is a &header (not loaded)"), this);
        m_header->setObjectName(QStringLiteral("header"));
        m_header->setChecked(proposed.header);

        m_preview = new QTableWidget(int(rows.size()), width, this);
        m_preview->setObjectName(QStringLiteral("preview"));
        m_preview->setAccessibleName(QStringLiteral("First rows of %1").arg(fileName));
        m_preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_preview->setSelectionBehavior(QAbstractItemView::SelectColumns);
        m_preview->setSelectionMode(QAbstractItemView::SingleSelection);
        m_preview->setFocusPolicy(Qt::NoFocus);
        m_preview->setHorizontalHeaderLabels(letters);
        for (int r = 0; r < int(rows.size()); ++r) {
            for (int c = 0; c < int(rows[size_t(r)].size()); ++c)
                m_preview->setItem(r, c, new QTableWidgetItem(rows[size_t(r)].at(c)));
        }
        connect(m_preview->horizontalHeader(), &QHeaderView::sectionClicked, m_columns,
                &QComboBox::setCurrentIndex);
        connect(m_columns, &QComboBox::currentIndexChanged, this, &ColumnDialog::showColumn);

        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

        auto* layout = new QVBoxLayout(this);
        for (QWidget* part :
             std::initializer_list<QWidget*>{label, m_columns, m_header, m_preview, buttons})
            layout->addWidget(part);
        resize(560, 380);

        m_columns->setCurrentIndex(proposed.column);
        showColumn(proposed.column);
        m_columns->setFocus();
    }

    ColumnChoice choice() const { return {m_columns->currentIndex(), m_header->isChecked()}; }

private:
    void showColumn(int column)
    {
        if (column < 0)
            return;
        m_preview->selectColumn(column);
        m_preview->scrollTo(m_preview->model()->index(0, column));
    }

    QComboBox* m_columns;
    QCheckBox* m_header;
    QTableWidget* m_preview;
};

} // namespace

std::optional<ColumnChoice> QtColumnChooser::chooseColumn(const QString& fileName,
                                                          const std::vector<QStringList>& rows,
                                                          const ColumnChoice& proposed)
{
    ColumnDialog dialog(fileName, rows, proposed, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}

#include "ColumnDialog.moc"
