#include "core/upc/CodeReason.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>

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

void append(DigitsReason& r, const char* text, std::size_t size)
{
    const std::size_t n = std::min(size, sizeof r.reason - r.reasonSize);
    std::memcpy(r.reason + r.reasonSize, text, n);
    r.reasonSize += n;
}

void append(DigitsReason& r, const char* text)
{
    append(r, text, std::strlen(text));
}

void append(DigitsReason& r, std::size_t number)
{
    char text[24];
    const int n = std::snprintf(text, sizeof text, "%zu", number);
    append(r, text, std::size_t(n));
}

// The character at `at` as the reason names it: in quotes when it can be
// seen, with its code point when it cannot (or could be mistaken for another).
QString characterName(QStringView code, qsizetype at)
{
    char32_t ucs = code[at].unicode();
    if (QChar::isHighSurrogate(ucs) && at + 1 < code.size() && code[at + 1].isLowSurrogate())
        ucs = QChar::surrogateToUcs4(code[at].unicode(), code[at + 1].unicode());
    if (ucs > 0x20 && ucs < 0x7F)
        return QLatin1Char('"') + QChar(char16_t(ucs)) + QLatin1Char('"');
    QString number = QStringLiteral("U+%1").arg(qulonglong(ucs), 4, 16, QLatin1Char('0')).toUpper();
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

// For digits valid as another GTIN: which, and the UPC-A it is a form of (as
// the corrected code) or that it has none. UPC-E comes before EAN-8.
void appendGtinForms(DigitsReason& r, std::string_view digits)
{
    r.gtin = Gtin::ValidKinds(digits);
    const char* separator = "; ";
    for (const Gtin::GtinKind kind : {Gtin::GtinKind::UpcE, Gtin::GtinKind::Ean8,
                                      Gtin::GtinKind::Ean13, Gtin::GtinKind::Gtin14}) {
        if (!r.gtin.testFlag(kind))
            continue;
        append(r, separator);
        separator = ", also ";
        if (const std::optional<std::array<char, 12>> upcA = Gtin::UpcAOf(digits, kind)) {
            std::memcpy(r.corrected, upcA->data(), upcA->size());
            r.hasCorrected = true;
            append(r, Gtin::KindName(kind));
            append(r, " form of UPC-A ");
            append(r, r.corrected, 12);
        } else {
            append(r, "a valid ");
            append(r, Gtin::KindName(kind));
            append(r, ", which has no UPC-A form");
        }
    }
}

// The kind a string of digits of its length is read as.
Gtin::GtinKind kindOfLength(std::size_t length)
{
    switch (length) {
    case 8:
        return Gtin::GtinKind::Ean8;
    case 12:
        return Gtin::GtinKind::UpcA;
    case 13:
        return Gtin::GtinKind::Ean13;
    default:
        return Gtin::GtinKind::Gtin14;
    }
}

// The digits of a code of digits, hyphens and blanks alone; none otherwise.
std::optional<std::string> gtinDigits(QStringView code)
{
    std::string digits;
    for (const QChar c : code) {
        if (isSeparator(c.unicode()))
            continue;
        if (!isDigit(c.unicode()))
            return std::nullopt;
        digits += char(c.unicode());
    }
    return digits;
}

void explainGtinDigits(GtinExplanation& v)
{
    const std::size_t n = v.digits.size();
    if (n != 8 && n != 12 && n != 13 && n != 14) {
        v.fault = Fault::Length;
        v.reason = QStringLiteral("%1 %2, a GTIN has 8, 12, 13 or 14")
                       .arg(n)
                       .arg(n == 1 ? QLatin1String("digit") : QLatin1String("digits"));
        return;
    }
    v.kinds = Gtin::ValidKinds(v.digits);
    if (v.kinds) {
        v.gtin14 = Gtin::FormOf(v.digits, v.kinds, Gtin::Form::Gtin14);
        return;
    }
    const Gtin::GtinKind kind = kindOfLength(n);
    const int expected = modUPCCode::CheckDigitFor(v.digits.data(), int(n));
    v.fault = Fault::CheckDigit;
    v.kinds = kind;
    v.corrected = v.digits;
    v.corrected.back() = char('0' + expected);
    v.reason = QStringLiteral("Check digit %1 is wrong for %2, expected %3: %4")
                   .arg(QChar(v.digits.back()))
                   .arg(QLatin1StringView(Gtin::FamilyName(kind)))
                   .arg(expected)
                   .arg(QLatin1StringView(v.corrected));
}

} // namespace

GtinExplanation ExplainGtin(QStringView code)
{
    GtinExplanation v;
    std::optional<std::string> digits = gtinDigits(code);
    // A character, or nothing at all: as the UPC-A check says.
    if (!digits || digits->empty()) {
        const Explanation why = Explain(code);
        v.fault = why.fault == Fault::None ? Fault::Character : why.fault;
        v.reason = why.reason;
        return v;
    }
    v.digits = std::move(*digits);
    explainGtinDigits(v);
    return v;
}

int CompletingDigit(const char* digits)
{
    return modUPCCode::CheckDigitFor(digits);
}

DigitsReason ReasonOfDigits(const char* digits, std::size_t count, bool empty)
{
    DigitsReason r;
    if (count == 0) {
        r.fault = Fault::Empty;
        append(r, empty ? "Empty" : "No digits, only hyphens and blanks");
        return r;
    }
    if (count != 12) {
        r.fault = Fault::Length;
        append(r, count);
        append(r, count == 1 ? " digit, UPC-A has 12" : " digits, UPC-A has 12");
        if (count == 11) {
            std::memcpy(r.corrected, digits, 11);
            r.corrected[11] = char('0' + CompletingDigit(digits));
            r.hasCorrected = true;
            append(r, "; check digit ");
            append(r, r.corrected + 11, 1);
            append(r, " completes it: ");
            append(r, r.corrected, 12);
        } else if (count == 8 || count == 13 || count == 14) {
            appendGtinForms(r, std::string_view(digits, count));
        }
        return r;
    }
    if (modUPCCode::WeightedSum(digits, 12) % 10 != 0) {
        r.fault = Fault::CheckDigit;
        std::memcpy(r.corrected, digits, 11);
        r.corrected[11] = char('0' + CompletingDigit(digits));
        r.hasCorrected = true;
        append(r, "Check digit ");
        append(r, digits + 11, 1);
        append(r, " is wrong, expected ");
        append(r, r.corrected + 11, 1);
        append(r, ": ");
        append(r, r.corrected, 12);
    }
    return r;
}

DigitsReason ReasonOfDigitCode(const char* code, std::size_t size)
{
    char digits[KeptDigits];
    std::size_t count = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (code[i] == '-' || code[i] == ' ')
            continue;
        if (count < KeptDigits)
            digits[count] = code[i];
        ++count;
    }
    return ReasonOfDigits(digits, count, size == 0);
}

Explanation Explain(QStringView code)
{
    const modUPCCode::Verdict verdict = modUPCCode::CheckUPCCode(code);
    Explanation e;
    if (verdict == modUPCCode::Verdict::Valid)
        return e;

    char digits[KeptDigits];
    std::size_t count = 0;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const char16_t c = code[i].unicode();
        if (isSeparator(c))
            continue;
        if (!isDigit(c)) {
            const QString what = characterName(code, i) + QStringLiteral(" at position ") +
                                 QString::number(positionOf(code, i));
            if (verdict == modUPCCode::Verdict::TypeMismatch) {
                e.fault = Fault::TypeMismatch;
                e.reason = QStringLiteral("Reads as a number, but ") + what +
                           QStringLiteral(" is not a digit (Type mismatch)");
            } else {
                e.fault = Fault::Character;
                e.reason = what + QStringLiteral(" is not a digit, hyphen or blank");
            }
            return e;
        }
        if (count < KeptDigits)
            digits[count] = char(c);
        ++count;
    }
    // Digits, hyphens and blanks only, and not valid by the same sum.
    const DigitsReason r = ReasonOfDigits(digits, count, code.isEmpty());
    e.fault = r.fault;
    e.reason = QString::fromLatin1(r.reason, qsizetype(r.reasonSize));
    if (r.hasCorrected)
        e.corrected = QString::fromLatin1(r.corrected, 12);
    e.gtin = r.gtin;
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
