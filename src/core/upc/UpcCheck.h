#pragma once

#include <QLatin1StringView>
#include <QLocale>
#include <QStringView>

// The UPC-A check of one code.
namespace modUPCCode {

enum class Verdict
{
    Valid,        // twelve digits with a correct check digit
    NotValid,     // every other code that gets an answer
    TypeMismatch, // twelve characters that read as a number but are no digit
                  // string: the check digit cannot be worked out
};

// The weighted sum of the first `count` digits ('0' to '9') of a GTIN of
// `length` digits (eight for EAN-8, twelve for UPC-A, thirteen for EAN-13,
// fourteen for GTIN-14). Counted from the right, the check digit weighs 1, the
// digit before it 3, then 1, 3, ... in turn; for UPC-A the digits at the odd
// positions 1, 3, ..., 11 weigh 3. A code is valid when the sum of all its
// digits is a multiple of ten.
template <typename Char> constexpr int WeightedSum(const Char* digits, int count, int length = 12)
{
    int sum = 0;
    for (int p = 0; p < count; ++p)
        sum += (int(digits[p]) - '0') * ((length - p) % 2 == 0 ? 3 : 1);
    return sum;
}

// The check digit that completes the first `length` - 1 digits of a GTIN of
// `length` digits: for UPC-A, eleven digits.
template <typename Char> constexpr int CheckDigitFor(const Char* digits, int length = 12)
{
    return (10 - WeightedSum(digits, length - 1, length) % 10) % 10;
}

// Valid when the code, with hyphens and spaces removed, is twelve digits with a
// correct check digit. Twelve characters that read as a number in the user's
// locale but hold other characters than digits (a decimal point, a plus sign,
// ...) are a TypeMismatch; every other code is NotValid. The locale is asked
// only about such twelve characters. The Latin-1 form checks bytes by the same
// rules, as the same text in UTF-16.
Verdict CheckUPCCode(QStringView code);
Verdict CheckUPCCode(QLatin1StringView code);
// The same in a locale taken once for many codes (QLocale() costs a lookup of
// the system's settings each time).
Verdict CheckUPCCode(QStringView code, const QLocale& locale);
Verdict CheckUPCCode(QLatin1StringView code, const QLocale& locale);

// Whether the text reads as a number in the locale.
bool IsNumeric(QStringView text, const QLocale& locale);

} // namespace modUPCCode
