#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// Codes typed into the input box: several at once, separated by commas.
namespace TypedCodes {

// The pieces of the typed text between commas, left to right. Every piece
// counts, empty ones included: "a,,b," gives "a", "", "b", "".
QStringList split(const QString& text);

// The piece without its leading and trailing blanks (U+0020 only; tabs and
// other white space stay, and so do blanks inside); as a copy or as a view.
QString trimBlanks(const QString& piece);
QStringView trimBlanks(QStringView piece);

} // namespace TypedCodes
