#include "CodeReason.h"

#include "modUPCCode.h"

#include <QVarLengthArray>

namespace CodeReason {

namespace {

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool isSeparator(char16_t c)
{
    return c == u'-' || c == u' ';
}

// The weighted sum of twelve digits; a multiple of ten when the code is valid.
int weightedSum(const char16_t* digits)
{
    int sum = 0;
    for (int p = 0; p < 12; ++p)
        sum += (digits[p] - u'0') * (p % 2 == 0 && p < 11 ? 3 : 1);
    return sum;
}

// The character at `at` as the reason names it: in quotes when it can be
// seen, with its code point when it cannot (or could be mistaken for another).
QString characterName(QStringView code, qsizetype at)
{
    char32_t ucs = code[at].unicode();
    if (QChar::isHighSurrogate(ucs) && at + 1 < code.size() && code[at + 1].isLowSurrogate())
        ucs = QChar::surrogateToUcs4(code[at].unicode(), code[at + 1].unicode());
    const QString number =
        QStringLiteral("U+%1").arg(qulonglong(ucs), 4, 16, QLatin1Char('0')).toUpper();
    if (ucs > 0x20 && ucs < 0x7F)
        return QLatin1Char('"') + QChar(char16_t(ucs)) + QLatin1Char('"');
    if (QChar::isPrint(ucs) && !QChar::isSpace(ucs) && QChar::category(ucs) != QChar::Other_Format)
        return QLatin1Char('"') + QString::fromUcs4(&ucs, 1) + QStringLiteral("\" (") + number +
               QLatin1Char(')');
    return number;
}

// The position of the character at `at`, counting characters rather than
// UTF-16 units.
qsizetype positionOf(QStringView code, qsizetype at)
{
    qsizetype position = 1;
    for (qsizetype i = 0; i < at; ++i)
        if (!(code[i].isLowSurrogate() && i > 0 && code[i - 1].isHighSurrogate()))
            ++position;
    return position;
}

QString digitsText(qsizetype n)
{
    return n == 1 ? QStringLiteral("1 digit") : QStringLiteral("%1 digits").arg(n);
}

} // namespace

int CompletingDigit(const char16_t* digits)
{
    int sum = 0;
    for (int p = 0; p < 11; ++p)
        sum += (digits[p] - u'0') * (p % 2 == 0 ? 3 : 1);
    return (10 - sum % 10) % 10;
}

Explanation Explain(QStringView code)
{
    QVarLengthArray<char16_t, 32> normalised;
    qsizetype firstOther = -1; // the first character that is no digit or separator
    for (qsizetype i = 0; i < code.size(); ++i) {
        const char16_t c = code[i].unicode();
        if (isSeparator(c))
            continue;
        if (!isDigit(c) && firstOther < 0)
            firstOther = i;
        normalised.append(c);
    }

    Explanation e;
    if (normalised.isEmpty()) {
        e.fault = Fault::Empty;
        e.reason = code.isEmpty() ? QStringLiteral("Empty")
                                  : QStringLiteral("No digits, only hyphens and blanks");
        return e;
    }
    if (firstOther >= 0) {
        const QString what = characterName(code, firstOther) + QStringLiteral(" at position ") +
                             QString::number(positionOf(code, firstOther));
        // Twelve characters that read as a number reach the check digit's
        // conversion, which fails on the first one that is no digit.
        if (normalised.size() == 12 &&
            modUPCCode::IsNumeric(QStringView(normalised.constData(), normalised.size()))) {
            e.fault = Fault::TypeMismatch;
            e.reason = QStringLiteral("Reads as a number, but ") + what +
                       QStringLiteral(" is not a digit (Type mismatch)");
        } else {
            e.fault = Fault::Character;
            e.reason = what + QStringLiteral(" is not a digit, hyphen or blank");
        }
        return e;
    }
    const qsizetype n = normalised.size();
    if (n != 12) {
        e.fault = Fault::Length;
        e.reason = digitsText(n) + QStringLiteral(", UPC-A has 12");
        if (n == 11) {
            const int d = CompletingDigit(normalised.constData());
            e.corrected = QString(reinterpret_cast<const QChar*>(normalised.constData()), 11) +
                          QChar(char16_t(u'0' + d));
            e.reason += QStringLiteral("; check digit %1 completes it: %2").arg(d).arg(e.corrected);
        }
        return e;
    }
    if (weightedSum(normalised.constData()) % 10 != 0) {
        const int found = normalised[11] - u'0';
        const int expected = CompletingDigit(normalised.constData());
        e.fault = Fault::CheckDigit;
        e.corrected = QString(reinterpret_cast<const QChar*>(normalised.constData()), 11) +
                      QChar(char16_t(u'0' + expected));
        e.reason = QStringLiteral("Check digit %1 is wrong, expected %2: %3")
                       .arg(found)
                       .arg(expected)
                       .arg(e.corrected);
    }
    return e;
}

const char* FaultName(Fault fault)
{
    switch (fault) {
    case Fault::None:
        return "none";
    case Fault::Empty:
        return "empty";
    case Fault::Character:
        return "character";
    case Fault::Length:
        return "length";
    case Fault::CheckDigit:
        return "check-digit";
    case Fault::TypeMismatch:
        return "type-mismatch";
    }
    return "none";
}

} // namespace CodeReason
