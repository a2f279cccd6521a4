#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// The column of a table that holds codes, and whether its first row is a header.
struct ColumnChoice
{
    int column = 0; // counted from 0
    bool header = false;
    bool operator==(const ColumnChoice&) const = default;
};

// Asks the user which column of a table holds the codes.
class ColumnChooser
{
public:
    virtual ~ColumnChooser() = default;
    // `rows`: the file's first rows; `proposed`: the guess shown first.
    // Nothing when cancelled.
    virtual std::optional<ColumnChoice> chooseColumn(const QString& fileName,
                                                     const std::vector<QStringList>& rows,
                                                     const ColumnChoice& proposed) = 0;
};
