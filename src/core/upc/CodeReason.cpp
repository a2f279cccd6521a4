#include "core/upc/CodeReason.h"

#include <QStringBuilder>
#include <array>
#include <optional>

namespace CodeReason {

namespace {

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

// The digits of a code; `at` is set to the index of its first character
// other than a digit, hyphen or blank (-1: none).
std::string digitsOf(QStringView code, qsizetype& at)
{
    std::string digits;
    for (at = 0; at < code.size(); ++at) {
        const char16_t c = code[at].unicode();
        if (c >= u'0' && c <= u'9')
            digits += char(c);
        else if (c != u'-' && c != u' ')
            return digits;
    }
    at = -1;
    return digits;
}

// The first eleven digits with the check digit that completes them.
QString completed(const std::string& digits)
{
    return QLatin1StringView(digits.data(), 11) %
           QLatin1Char(char('0' + modUPCCode::CheckDigitFor(digits.data())));
}

// For digits valid as another GTIN: which, and the UPC-A it is a form of (as
// the corrected code) or that it has none. UPC-E comes before EAN-8.
void appendGtinForms(Explanation& e, const std::string& digits)
{
    e.gtin = Gtin::ValidKinds(digits);
    QLatin1StringView separator("; ");
    for (const Gtin::GtinKind kind : {Gtin::GtinKind::UpcE, Gtin::GtinKind::Ean8,
                                      Gtin::GtinKind::Ean13, Gtin::GtinKind::Gtin14}) {
        if (!e.gtin.testFlag(kind))
            continue;
        const QLatin1StringView name(Gtin::KindName(kind));
        e.reason += separator;
        separator = QLatin1StringView(", also ");
        if (const std::optional<std::array<char, 12>> upcA = Gtin::UpcAOf(digits, kind)) {
            e.corrected = QLatin1StringView(upcA->data(), 12);
            e.reason += name % QLatin1StringView(" form of UPC-A ") % e.corrected;
        } else {
            e.reason += QLatin1StringView("a valid ") % name %
                        QLatin1StringView(", which has no UPC-A form");
        }
    }
}

// The reason of digits that are not a valid UPC-A.
void explainDigits(Explanation& e, const std::string& digits, bool empty)
{
    const std::size_t count = digits.size();
    if (count == 0) {
        e.fault = Fault::Empty;
        e.reason =
            empty ? QStringLiteral("Empty") : QStringLiteral("No digits, only hyphens and blanks");
    } else if (count == 12) {
        e.fault = Fault::CheckDigit;
        e.corrected = completed(digits);
        e.reason = QLatin1StringView("Check digit ") % QLatin1Char(digits[11]) %
                   QLatin1StringView(" is wrong, expected ") % e.corrected.back() %
                   QLatin1StringView(": ") % e.corrected;
    } else {
        e.fault = Fault::Length;
        e.reason = QString::number(count) %
                   QLatin1StringView(count == 1 ? " digit, UPC-A has 12" : " digits, UPC-A has 12");
        if (count == 11) {
            e.corrected = completed(digits);
            e.reason += QLatin1StringView("; check digit ") % e.corrected.back() %
                        QLatin1StringView(" completes it: ") % e.corrected;
        } else {
            appendGtinForms(e, digits);
        }
    }
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
    const Gtin::GtinKind kind = Gtin::KindOfLength(n);
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

Explanation Explain(QStringView code)
{
    const modUPCCode::Verdict verdict = modUPCCode::CheckUPCCode(code);
    Explanation e;
    if (verdict == modUPCCode::Verdict::Valid)
        return e;
    qsizetype at = -1;
    const std::string digits = digitsOf(code, at);
    if (at < 0) {
        explainDigits(e, digits, code.isEmpty());
        return e;
    }
    const QString what = characterName(code, at) + QStringLiteral(" at position ") +
                         QString::number(positionOf(code, at));
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

GtinExplanation ExplainGtin(QStringView code)
{
    GtinExplanation v;
    qsizetype at = -1;
    v.digits = digitsOf(code, at);
    // A character, or nothing at all: as the UPC-A check says.
    if (at >= 0 || v.digits.empty()) {
        const Explanation why = Explain(code);
        v.fault = why.fault;
        v.reason = why.reason;
        v.digits.clear();
        return v;
    }
    explainGtinDigits(v);
    return v;
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
