#include "core/upc/UpcCheck.h"

#include "core/base/Failure.h"

#include <QVarLengthArray>
#include <array>

namespace modUPCCode {

namespace {

bool isAsciiDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

bool allAsciiDigits(QStringView text)
{
    for (QChar c : text)
        if (!isAsciiDigit(c))
            return false;
    return true;
}

bool parsesAsNumber(QStringView text, const QLocale& locale)
{
    bool ok = false;
    locale.toDouble(text, &ok);
    return ok;
}

} // namespace

bool IsNumeric(QStringView text, const QLocale& locale)
{
    if (text.isEmpty())
        return false;
    if (allAsciiDigits(text))
        return true;
    // A number has at least one digit: this keeps "inf" and "nan" out.
    bool hasDigit = false;
    for (QChar c : text)
        hasDigit = hasDigit || c.isDigit();
    if (!hasDigit)
        return false;

    QString t = text.trimmed().toString();
    const QString currency = locale.currencySymbol();
    if (!currency.isEmpty()) {
        if (t.startsWith(currency))
            t = t.mid(currency.size()).trimmed();
        else if (t.endsWith(currency))
            t = t.left(t.size() - currency.size()).trimmed();
    }
    if (parsesAsNumber(t, locale))
        return true;
    // Thousands separators are accepted wherever they stand.
    const QString group = locale.groupSeparator();
    if (!group.isEmpty() && t.contains(group)) {
        t.remove(group);
        return parsesAsNumber(t, locale);
    }
    return false;
}

bool IsCheckDigitCorrect(QStringView code)
{
    constexpr int Length = 12;
    std::array<qint16, Length> digits{};
    for (int p = 0; p < Length; ++p) {
        if (p >= code.size() || !isAsciiDigit(code[p]))
            throw Failure(QLatin1String(FailureText::TypeMismatch));
        digits[p] = qint16(code[p].unicode() - u'0');
    }
    int odd = 0;
    for (int p = 0; p < 11; p += 2)
        odd += digits[p];
    int even = 0;
    for (int p = 1; p < 10; p += 2)
        even += digits[p];
    const int total = odd * 3 + even + digits[11];
    return total % 10 == 0;
}

const QString& CheckUPCCode(QStringView code)
{
    QVarLengthArray<QChar, 32> normalised;
    normalised.reserve(code.size());
    for (QChar c : code)
        if (c != u'-' && c != u' ')
            normalised.append(c);
    const QStringView text(normalised.constData(), normalised.size());

    // Only a twelve-character text can pass, and twelve plain digits read as a
    // number in every locale: the locale is asked about the others alone.
    if (text.size() != 12)
        return NotValid;
    if (!allAsciiDigits(text) && !IsNumeric(text))
        return NotValid;
    return IsCheckDigitCorrect(text) ? Valid : NotValid;
}

} // namespace modUPCCode
