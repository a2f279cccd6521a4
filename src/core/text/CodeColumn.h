#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>
#include <vector>

// Which column of a table holds the codes.
namespace CodeColumn {

// How many rows the guess looks at (and a preview shows).
inline constexpr int PreviewRows = 10;
// How many columns of those rows the preview keeps.
inline constexpr int PreviewColumns = 256;

// Whether a cell is, without its hyphens and blanks, 8 to 14 digits.
bool looksLikeCode(QStringView cell);

// The guess for the first rows of a table.
struct Guess
{
    int column = 0;      // counted from 0
    bool header = false; // row 1 is a header: skipped
};

// The column whose cells below row 1 look most like codes (the leftmost of
// equals); row 1 is a header when its cell there does not look like a code
// while at least half of the cells below it that are not empty do. Nothing
// when no cell looks like a code.
std::optional<Guess> guess(const std::vector<QStringList>& rows);

// Whether row 1 is a header for a column chosen by the user: as guess says.
bool headerAbove(const std::vector<QStringList>& rows, int column);

// The number of columns of the widest row.
int width(const std::vector<QStringList>& rows);

// A column's letters, as a spreadsheet names it: 0 is A, 25 Z, 26 AA.
QString letters(int column);

// A column named by the user, counted from 0: a number from 1, letters (A, b,
// AA), or the text of a cell of `header` (case and surrounding blanks aside),
// which wins over letters and sets `byHeader`. Nothing for any other name.
std::optional<int> named(const QString& name, const QStringList& header, bool* byHeader = nullptr);

} // namespace CodeColumn
