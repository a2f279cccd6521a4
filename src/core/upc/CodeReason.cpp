#include "core/upc/CodeReason.h"

#include "core/upc/Damage.h"

#include <array>
#include <optional>
#include <type_traits>

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

// The digits of a code, into `digits`; answers the index of its first
// character other than a digit, hyphen or blank (-1: none).
template <typename View> qsizetype digitsOf(View code, std::string& digits)
{
    digits.clear();
    for (qsizetype at = 0; at < code.size(); ++at) {
        const char16_t c = QChar(code[at]).unicode();
        if (c >= u'0' && c <= u'9')
            digits += char(c);
        else if (c != u'-' && c != u' ')
            return at;
    }
    return -1;
}

// For digits valid as another GTIN: which, and the UPC-A it is a form of (as
// the corrected code) or that it has none. UPC-E comes before EAN-8.
void appendGtinForms(DigitsReason& r)
{
    r.gtin = Gtin::ValidKinds(r.digits);
    const char* separator = "; ";
    for (const Gtin::GtinKind kind : {Gtin::GtinKind::UpcE, Gtin::GtinKind::Ean8,
                                      Gtin::GtinKind::Ean13, Gtin::GtinKind::Gtin14}) {
        if (!r.gtin.testFlag(kind))
            continue;
        r.reason.append(separator);
        separator = ", also ";
        if (const std::optional<std::array<char, 12>> upcA = Gtin::UpcAOf(r.digits, kind)) {
            r.corrected.assign(upcA->data(), 12);
            r.reason.append(Gtin::KindName(kind)).append(" form of UPC-A ").append(r.corrected);
        } else {
            r.reason.append("a valid ").append(Gtin::KindName(kind));
            r.reason.append(", which has no UPC-A form");
        }
    }
}

// The reason of the digits in `r` of a code (`empty`: of no characters).
void explainDigits(DigitsReason& r, bool empty)
{
    const std::size_t count = r.digits.size();
    r.fault = Fault::None;
    r.reason.clear();
    r.corrected.clear();
    r.gtin = {};
    if (count == 11 || count == 12) {
        r.corrected.assign(r.digits, 0, 11);
        r.corrected += char('0' + modUPCCode::CheckDigitFor(r.digits.data()));
    }
    if (count == 0) {
        r.fault = Fault::Empty;
        r.reason = empty ? "Empty" : "No digits, only hyphens and blanks";
    } else if (count == 12 && r.corrected != r.digits) {
        r.fault = Fault::CheckDigit;
        r.reason.append("Check digit ").append(1, r.digits[11]).append(" is wrong, expected ");
        r.reason.append(1, r.corrected[11]).append(": ").append(r.corrected);
    } else if (count == 12) {
        r.corrected.clear();
    } else {
        r.fault = Fault::Length;
        r.reason.append(std::to_string(count)).append(count == 1 ? " digit" : " digits");
        r.reason.append(", UPC-A has 12");
        if (count == 11)
            r.reason.append("; check digit ")
                .append(1, r.corrected[11])
                .append(" completes it: ")
                .append(r.corrected);
        else
            appendGtinForms(r);
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

namespace {

template <typename Why> void nameDamage(const std::optional<Damage::Finding>& damage, Why& why)
{
    if (damage) {
        if constexpr (std::is_same_v<Why, Explanation>) {
            why.damage = damage->names;
            why.reason = damage->reason;
            why.repaired = QString::fromLatin1(damage->repaired);
        } else {
            why.damage = damage->names.toStdString();
            why.reason = damage->reason.toStdString();
            why.repaired = damage->repaired;
        }
    }
}

Explanation explanation(Fault fault, QString reason, QString corrected = {},
                        Gtin::GtinKinds gtin = {})
{
    Explanation e;
    e.fault = fault;
    e.reason = std::move(reason);
    e.corrected = std::move(corrected);
    e.gtin = gtin;
    return e;
}

Explanation explainFault(QStringView code, modUPCCode::Verdict verdict)
{
    DigitsReason r;
    const qsizetype at = digitsOf(code, r.digits);
    if (at < 0) {
        explainDigits(r, code.isEmpty());
        return explanation(r.fault, QLatin1StringView(r.reason), QLatin1StringView(r.corrected),
                           r.gtin);
    }
    const QString what = characterName(code, at) + QStringLiteral(" at position ") +
                         QString::number(positionOf(code, at));
    if (verdict != modUPCCode::Verdict::TypeMismatch)
        return explanation(Fault::Character,
                           what + QStringLiteral(" is not a digit, hyphen or blank"));
    const QString number =
        QStringLiteral("Reads as a number, but %1 is not a digit (Type mismatch)");
    return explanation(Fault::TypeMismatch, number.arg(what));
}

} // namespace

Explanation Explain(QStringView code)
{
    const modUPCCode::Verdict verdict = modUPCCode::CheckUPCCode(code);
    if (verdict == modUPCCode::Verdict::Valid)
        return {};
    Explanation why = explainFault(code, verdict);
    nameDamage(Damage::Recognise(code), why);
    return why;
}

bool ReasonOfDigitCode(QLatin1StringView code, DigitsReason& r)
{
    if (digitsOf(code, r.digits) >= 0)
        return false;
    explainDigits(r, code.isEmpty());
    r.damage.clear();
    r.repaired.clear();
    // Only ten or eleven digits can have lost something on the way.
    if (r.digits.size() == 10 || r.digits.size() == 11)
        nameDamage(Damage::RecogniseDigits(r.digits), r);
    return true;
}

GtinExplanation ExplainGtin(QStringView code)
{
    GtinExplanation v;
    // A character, or nothing at all: as the UPC-A check says.
    if (digitsOf(code, v.digits) >= 0 || v.digits.empty()) {
        const Explanation why = Explain(code);
        return {why.fault, why.reason, {}, {}, {}, {}};
    }
    explainGtinDigits(v);
    return v;
}

const char* FaultName(Fault fault)
{
    static constexpr const char* Names[] = {"none",   "empty",       "character",
                                            "length", "check-digit", "type-mismatch"};
    return Names[int(fault)];
}

} // namespace CodeReason
