#pragma once

#include "features/host/ColumnChooser.h"

#include <QDialog>
#include <QStringList>
#include <vector>

class QCheckBox;
class QComboBox;
class QTableWidget;

// Asks which column of a table holds the codes: the first rows in a table,
// the columns in a list named by their letters and first cells ("B — UPC"),
// and whether the first row is a header. Everything is reachable by
// keyboard: the list has the focus, Return accepts and Escape cancels.
class ColumnDialog : public QDialog
{
    Q_OBJECT

public:
    ColumnDialog(const QString& fileName, const std::vector<QStringList>& rows,
                 const ColumnChoice& proposed, QWidget* parent = nullptr);

    ColumnChoice choice() const;

private:
    void showColumn(int column);

    QComboBox* m_columns;
    QCheckBox* m_header;
    QTableWidget* m_preview;
};
