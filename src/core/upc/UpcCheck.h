#pragma once

#include <QLocale>
#include <QString>

// The UPC-A check of one code.
namespace modUPCCode {

inline const QString Valid = QStringLiteral("Valid");
inline const QString NotValid = QStringLiteral("Not Valid");

// "Valid" when the code, with hyphens and spaces removed, is twelve digits
// with a correct check digit; otherwise "Not Valid". A twelve-character code
// that reads as a number but holds other characters than digits (a decimal
// point, a plus sign, ...) throws Failure "Type mismatch".
const QString& CheckUPCCode(QStringView code);
inline const QString& CheckUPCCode(const QString& code)
{
    return CheckUPCCode(QStringView(code));
}

// True when the weighted digit sum of the twelve-character code is a multiple
// of ten. Throws Failure "Type mismatch" for a character that is no digit.
bool IsCheckDigitCorrect(QStringView code);

// Whether the text reads as a number in the user's locale (QLocale()).
bool IsNumeric(QStringView text, const QLocale& locale = QLocale());

} // namespace modUPCCode
