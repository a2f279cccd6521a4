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

} // namespace

// Asks which column of a table holds the codes: the first rows in a table,
// the columns in a list named by their letters and first cells ("B — UPC"),
// and whether the first row is a header. Everything is reachable by
// keyboard: the list has the focus, Return accepts and Escape cancels.
std::optional<ColumnChoice> QtColumnChooser::chooseColumn(const QString& fileName,
                                                          const std::vector<QStringList>& rows,
                                                          const ColumnChoice& proposed)
{
    QDialog dialog(QApplication::activeWindow());
    dialog.setObjectName(QStringLiteral("ColumnDialog"));
    dialog.setWindowTitle(QStringLiteral("Load Codes From %1").arg(fileName));
    const int width = std::max(CodeColumn::width(rows), proposed.column + 1);

    auto* label = new QLabel(QStringLiteral("&Column with the codes:"), &dialog);
    auto* columns = new QComboBox(&dialog);
    columns->setObjectName(QStringLiteral("columns"));
    columns->setAccessibleName(QStringLiteral("Column with the codes"));
    QStringList letters;
    for (int c = 0; c < width; ++c) {
        columns->addItem(columnName(c, rows));
        letters.append(CodeColumn::letters(c));
    }
    label->setBuddy(columns);

    auto* header = new QCheckBox(QStringLiteral("First row is a &header (not loaded)"), &dialog);
    header->setObjectName(QStringLiteral("header"));
    header->setChecked(proposed.header);

    auto* preview = new QTableWidget(int(rows.size()), width, &dialog);
    preview->setObjectName(QStringLiteral("preview"));
    preview->setAccessibleName(QStringLiteral("First rows of %1").arg(fileName));
    preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    preview->setSelectionBehavior(QAbstractItemView::SelectColumns);
    preview->setSelectionMode(QAbstractItemView::SingleSelection);
    preview->setFocusPolicy(Qt::NoFocus);
    preview->setHorizontalHeaderLabels(letters);
    for (int r = 0; r < int(rows.size()); ++r)
        for (int c = 0; c < int(rows[size_t(r)].size()); ++c)
            preview->setItem(r, c, new QTableWidgetItem(rows[size_t(r)].at(c)));
    const auto showColumn = [preview](int column) {
        if (column < 0)
            return;
        preview->selectColumn(column);
        preview->scrollTo(preview->model()->index(0, column));
    };
    QObject::connect(preview->horizontalHeader(), &QHeaderView::sectionClicked, columns,
                     &QComboBox::setCurrentIndex);
    QObject::connect(columns, &QComboBox::currentIndexChanged, &dialog, showColumn);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto* layout = new QVBoxLayout(&dialog);
    for (QWidget* part : std::initializer_list<QWidget*>{label, columns, header, preview, buttons})
        layout->addWidget(part);
    dialog.resize(560, 380);

    columns->setCurrentIndex(proposed.column);
    showColumn(proposed.column);
    columns->setFocus();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return ColumnChoice{columns->currentIndex(), header->isChecked()};
}
