#include "core/upc/UpcCheck.h"

#include <QString>
#include <algorithm>
#include <bit>
#include <bitset>
#include <cstring>
#include <optional>
#include <type_traits>

namespace modUPCCode {

namespace {

constexpr int Length = 12;

bool isAsciiDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool allAsciiDigits(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return isAsciiDigit(c.unicode()); });
}

// A character as UTF-16: Latin-1 maps one to one.
template <typename Char> char16_t utf16(Char c)
{
    return char16_t(std::make_unsigned_t<Char>(c));
}

bool parsesAsNumber(QStringView text, const QLocale& locale)
{
    bool ok = false;
    locale.toDouble(text, &ok);
    return ok;
}

// What IsNumeric needs to know of the locale last asked about on this thread,
// so that asking again builds no text.
struct NumberSymbols
{
    QLocale locale;
    QString currency;
    QString group;
    // The characters, in lower case, that a number in the locale may hold
    // besides digits and white space: those of the locale's symbols, the
    // exponent's "e", and the ASCII signs and separators. Any other character
    // makes a text no number, since the conversion takes no character outside
    // the locale's own and reads no word but "inf" and "nan"; those two
    // cannot remain of a text with a digit unless the currency symbol holds
    // one, and then `charactersDecide` is false.
    QString characters;
    std::bitset<128> asciiCharacters; // those of them that are ASCII
    bool charactersDecide = false;
    // The decimal point, when it is one character and the locale's digits are
    // ASCII ones: digits on both sides of it are a number without asking the
    // locale (whose answer may cost a query of the system's settings).
    QChar point;
    // Digits with one "e" among them are read without the locale too, when
    // its digits are ASCII and its exponent is "e".
    bool plainExponent = false;
};

NumberSymbols symbolsFor(const QLocale& locale)
{
    NumberSymbols s;
    s.locale = locale;
    s.currency = locale.currencySymbol();
    s.group = locale.groupSeparator();
    s.characters = QStringLiteral("e+-.,");
    for (const QString& symbol : {s.currency, s.group, locale.decimalPoint(), locale.negativeSign(),
                                  locale.positiveSign(), locale.exponential(), locale.percent()})
        for (QChar c : symbol)
            s.characters += c.toLower();
    for (QChar c : s.characters)
        if (c.unicode() < 128)
            s.asciiCharacters.set(c.unicode());
    s.charactersDecide =
        std::none_of(s.currency.begin(), s.currency.end(), [](QChar c) { return c.isDigit(); });
    const bool asciiDigits = locale.zeroDigit() == QLatin1String("0");
    const QString point = locale.decimalPoint();
    if (point.size() == 1 && asciiDigits &&
        !(locale.numberOptions() & QLocale::RejectTrailingZeroesAfterDot))
        s.point = point.front();
    s.plainExponent = asciiDigits &&
                      locale.exponential().compare(QLatin1String("e"), Qt::CaseInsensitive) == 0 &&
                      !(locale.numberOptions() & QLocale::RejectLeadingZeroInExponent);
    return s;
}

const NumberSymbols& symbolsOf(const QLocale& locale)
{
    thread_local std::optional<NumberSymbols> symbols;
    if (!symbols || !(symbols->locale == locale))
        symbols = symbolsFor(locale);
    return *symbols;
}

// What the characters alone tell: no number when empty or without a digit
// (this keeps "inf" and "nan" out), a number when all are ASCII digits.
std::optional<bool> numberByCharacters(QStringView text)
{
    if (text.isEmpty())
        return false;
    if (allAsciiDigits(text))
        return true;
    if (std::none_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); }))
        return false;
    return std::nullopt;
}

// Whether the text is ASCII digits, the decimal point and ASCII digits.
bool plainDecimal(QStringView text, QChar point)
{
    const qsizetype at = point.isNull() ? -1 : text.indexOf(point);
    if (at <= 0 || at == text.size() - 1)
        return false;
    return allAsciiDigits(text.first(at)) && allAsciiDigits(text.sliced(at + 1));
}

// For ASCII digits with an "e" or "E" among them, whether they stand for a
// finite double (the largest is about 1.8e308); no answer for another text or
// a value too near the largest to tell by its number of digits.
std::optional<bool> plainExponentNumber(QStringView text)
{
    const qsizetype lower = text.indexOf(u'e');
    const qsizetype at = lower >= 0 ? lower : text.indexOf(u'E');
    if (at < 0 || !allAsciiDigits(text.first(at)) || !allAsciiDigits(text.sliced(at + 1)))
        return std::nullopt;
    if (at == 0 || at == text.size() - 1)
        return false;    // no digits on one side of the "e": no number
    qsizetype first = 0; // the first significant digit of the mantissa
    while (first < at && text[first] == u'0')
        ++first;
    if (first == at)
        return true; // zero
    // The value has this many digits before the point; the exponent is read
    // only as far as it can matter.
    qint64 exponent = 0;
    for (qsizetype i = at + 1; i < text.size() && exponent <= 1000; ++i)
        exponent = exponent * 10 + (text[i].unicode() - u'0');
    const qint64 digits = (at - first) + exponent;
    if (digits <= 308)
        return true;
    if (digits >= 310)
        return false;
    return std::nullopt;
}

// Whether the text holds a character no number of the locale holds (mostly a letter).
bool holdsNoNumberCharacter(QStringView text, const NumberSymbols& symbols)
{
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 128) {
            const char16_t lower = u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u;
            if (!isAsciiDigit(u) && !QChar::isSpace(u) && !symbols.asciiCharacters[lower])
                return true;
        } else if (!c.isDigit() && !c.isSpace() && !symbols.characters.contains(c.toLower())) {
            return true;
        }
    }
    return false;
}

// The text without the currency symbol at its start or end, trimmed.
QStringView withoutCurrency(QStringView text, QStringView currency)
{
    const QStringView t = text.trimmed();
    if (t.startsWith(currency))
        return t.sliced(currency.size()).trimmed();
    if (t.endsWith(currency))
        return t.chopped(currency.size()).trimmed();
    return t;
}

// Whether the text parses once its thousands separators are gone, wherever they stand.
bool parsesWithoutGroups(QStringView t, const QString& group, const QLocale& locale)
{
    if (group.isEmpty() || !t.contains(group))
        return false;
    return parsesAsNumber(t.toString().remove(group), locale);
}

// Whether a text the characters leave open reads as a number in the locale.
bool readsAsNumberIn(QStringView text, const QLocale& locale)
{
    const NumberSymbols& symbols = symbolsOf(locale);
    // A character no number holds decides first: the plain forms hold none.
    if (symbols.charactersDecide && holdsNoNumberCharacter(text, symbols))
        return false;
    if (plainDecimal(text, symbols.point))
        return true;
    if (symbols.plainExponent)
        if (const std::optional<bool> number = plainExponentNumber(text))
            return *number;
    const QStringView t = withoutCurrency(text, symbols.currency);
    return parsesAsNumber(t, locale) || parsesWithoutGroups(t, symbols.group, locale);
}

// IsNumeric in the locale, else in the user's, looked up only when the
// characters leave it open.
bool isNumeric(QStringView text, const QLocale* locale)
{
    if (const std::optional<bool> number = numberByCharacters(text))
        return *number;
    return locale ? readsAsNumberIn(text, *locale) : readsAsNumberIn(text, QLocale());
}

// A code of 8 to 16 bytes that are all ASCII digits, most codes, read as two
// words (overlapping when shorter than 16): its verdict, or none for any
// other code. With no hyphen or blank to remove, only twelve digits can be
// valid.
std::optional<Verdict> digitBytes(const char* code, qsizetype size)
{
    if (std::endian::native != std::endian::little || size < 8 || size > 16)
        return std::nullopt;
    quint64 head = 0;
    quint64 tail = 0;
    std::memcpy(&head, code, 8);
    std::memcpy(&tail, code + size - 8, 8);
    // A byte is a digit when its high half is 3 and adding 6 to its low half
    // leaves the high half as it is.
    constexpr quint64 Threes = 0x3030303030303030u, Highs = 0xF0F0F0F0F0F0F0F0u,
                      Sixes = 0x0606060606060606u;
    const auto digits = [&](quint64 w) {
        return (w & Highs) == Threes && ((w + Sixes) & Highs) == Threes;
    };
    if (!digits(head) || !digits(tail))
        return std::nullopt;
    if (size != Length)
        return Verdict::NotValid;
    // The digits at even places (from 0) weigh 3: each byte adds twice itself
    // once more, and one multiplication adds up the bytes. The tail's last
    // four bytes are digits 8 to 11.
    constexpr quint64 EvenPlaces = 0x00FF00FF00FF00FFu, Ones = 0x0101010101010101u;
    const auto weighted = [&](quint64 w) {
        const quint64 d = w - Threes;
        return int(((d + 2 * (d & EvenPlaces)) * Ones) >> 56);
    };
    const int sum = weighted(head) + weighted((tail >> 32) | (Threes << 32));
    return sum % 10 == 0 ? Verdict::Valid : Verdict::NotValid;
}

// The user's locale is looked up (unless given) only for the few codes that
// need it.
template <typename Char> Verdict check(const Char* code, qsizetype size, const QLocale* locale)
{
    // Hyphens and spaces are removed; more than twelve other characters are
    // never valid. Whether the rest are all digits is seen on the way, so a
    // digit string goes straight to its check digit.
    if constexpr (std::is_same_v<Char, char>)
        if (const std::optional<Verdict> verdict = digitBytes(code, size))
            return *verdict;
    char16_t normalised[Length];
    qsizetype n = 0;
    bool digits = true;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = utf16(code[i]);
        if (c < u'0' || c > u'9') {
            if (c == u'-' || c == u' ')
                continue;
            digits = false;
        }
        if (n == Length)
            return Verdict::NotValid;
        normalised[n++] = c;
    }
    if (n != Length)
        return Verdict::NotValid;
    if (digits)
        return WeightedSum(normalised, Length) % 10 == 0 ? Verdict::Valid : Verdict::NotValid;
    // Twelve characters that are no digit string: a number among them gets as
    // far as the check digit, whose conversion of its first non-digit fails.
    return isNumeric(QStringView(normalised, Length), locale) ? Verdict::TypeMismatch
                                                              : Verdict::NotValid;
}

} // namespace

bool IsNumeric(QStringView text, const QLocale& locale)
{
    return isNumeric(text, &locale);
}

Verdict CheckUPCCode(QStringView code)
{
    return check(code.utf16(), code.size(), nullptr);
}

Verdict CheckUPCCode(QLatin1StringView code)
{
    return check(code.data(), code.size(), nullptr);
}

Verdict CheckUPCCode(QStringView code, const QLocale& locale)
{
    return check(code.utf16(), code.size(), &locale);
}

Verdict CheckUPCCode(QLatin1StringView code, const QLocale& locale)
{
    return check(code.data(), code.size(), &locale);
}

} // namespace modUPCCode
