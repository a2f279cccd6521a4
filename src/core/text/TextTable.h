#pragma once

#include <QString>
#include <QStringView>

// The padded text table that the text export and the clipboard copy make of a
// list: each cell is its text, blanks up to its column's width and a TAB.
// These are the pieces both use, one per step.
namespace TextTable {

// Whether a text fits its column's width and so gets blanks after it. A text
// longer than the width (the list changed since the widths were taken) does
// not.
inline bool fits(qsizetype width, QStringView text)
{
    return width >= text.size();
}

// The greater of a width and a text's length.
inline qsizetype wider(qsizetype width, QStringView text)
{
    return width < text.size() ? text.size() : width;
}

// Appends the text, blanks as many as the width exceeds the text's length
// (none when it does not), and a TAB.
void appendPaddedCell(QString& line, QStringView text, qsizetype width);

// Appends the text and a TAB.
void appendUnpaddedCell(QString& line, QStringView text);

// Appends a cell: padded when the text fits the width, else unpadded.
void appendCell(QString& line, QStringView text, qsizetype width);

// Ends a line of the clipboard text: drops the last character (the TAB of the
// last cell), then every blank at the end of the text, and appends CR LF.
// Throws Failure when there is no character to drop.
void closeClipboardLine(QString& text);

} // namespace TextTable
