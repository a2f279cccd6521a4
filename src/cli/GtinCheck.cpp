#include "cli/GtinCheck.h"

#include "cli/Report.h"
#include "core/upc/UpcCheck.h"

#include <array>

namespace Checker::GtinCheck {

namespace {

constexpr std::array<Gtin::GtinKind, 5> Kinds = {Gtin::GtinKind::Ean8, Gtin::GtinKind::UpcE,
                                                 Gtin::GtinKind::UpcA, Gtin::GtinKind::Ean13,
                                                 Gtin::GtinKind::Gtin14};

const char* lowerName(Gtin::GtinKind kind)
{
    switch (kind) {
    case Gtin::GtinKind::Ean8:
        return "gtin-8";
    case Gtin::GtinKind::UpcE:
        return "upc-e";
    case Gtin::GtinKind::UpcA:
        return "upc-a";
    case Gtin::GtinKind::Ean13:
        return "ean-13";
    case Gtin::GtinKind::Gtin14:
        return "gtin-14";
    }
    return "";
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

// The first kind of a set: an eight-digit code valid both ways counts as
// GTIN-8.
Gtin::GtinKind firstKind(Gtin::GtinKinds kinds)
{
    for (const Gtin::GtinKind kind : Kinds) {
        if (kinds.testFlag(kind))
            return kind;
    }
    return Gtin::GtinKind::Gtin14;
}

} // namespace

std::string kindNames(Gtin::GtinKinds kinds)
{
    std::string names;
    for (const Gtin::GtinKind kind : Kinds) {
        if (!kinds.testFlag(kind))
            continue;
        if (!names.empty())
            names += ' ';
        names += lowerName(kind);
    }
    return names;
}

Verdict check(QStringView code)
{
    Verdict v;
    bool digitsOnly = true;
    for (const QChar c : code) {
        if (c == u'-' || c == u' ')
            continue;
        if (c < u'0' || c > u'9') {
            digitsOnly = false;
            break;
        }
        v.digits += char(c.unicode());
    }
    // A character, or nothing at all: as the UPC-A check says.
    if (!digitsOnly || v.digits.empty()) {
        const CodeReason::Explanation why = CodeReason::Explain(code);
        v.fault = why.fault == CodeReason::Fault::None ? CodeReason::Fault::Character : why.fault;
        v.reason = why.reason;
        return v;
    }
    const std::size_t n = v.digits.size();
    if (n != 8 && n != 12 && n != 13 && n != 14) {
        v.fault = CodeReason::Fault::Length;
        v.reason = QStringLiteral("%1 %2, a GTIN has 8, 12, 13 or 14")
                       .arg(n)
                       .arg(n == 1 ? QLatin1String("digit") : QLatin1String("digits"));
        return v;
    }
    v.kinds = Gtin::ValidKinds(v.digits);
    if (v.kinds) {
        const auto gtin14 = Gtin::Gtin14Of(v.digits, firstKind(v.kinds));
        v.gtin14.assign(gtin14->data(), gtin14->size());
        return v;
    }
    const Gtin::GtinKind kind = kindOfLength(n);
    const int expected = modUPCCode::CheckDigitFor(v.digits.data(), int(n));
    v.fault = CodeReason::Fault::CheckDigit;
    v.kinds = kind;
    v.corrected = v.digits;
    v.corrected.back() = char('0' + expected);
    v.reason =
        QStringLiteral("Check digit %1 is wrong for %2, expected %3: %4")
            .arg(QChar(v.digits.back()))
            .arg(QLatin1StringView(kind == Gtin::GtinKind::Ean8 ? "GTIN-8" : Gtin::KindName(kind)))
            .arg(expected)
            .arg(QLatin1StringView(v.corrected));
    return v;
}

std::string normalised(const Verdict& v, Form form)
{
    // An eight-digit code that also reads as UPC-E has that UPC-A.
    for (const Gtin::GtinKind kind : Kinds) {
        if (form != Form::UpcA || !v.kinds.testFlag(kind))
            continue;
        if (const auto upcA = Gtin::UpcAOf(v.digits, kind))
            return {upcA->data(), upcA->size()};
    }
    return v.gtin14;
}

void jsonRecord(Bytes& out, bool first, QStringView code, const Verdict& v)
{
    out.put(first ? "\n{\"code\":" : ",\n{\"code\":");
    Report::putJsonString(out, code);
    if (v.valid()) {
        out.put(",\"valid\":true,\"kind\":\"");
        out.put(kindNames(v.kinds).c_str());
        out.put("\",\"gtin14\":\"");
        out.put(v.gtin14.data(), v.gtin14.size());
        out.put("\"}");
        return;
    }
    out.put(",\"valid\":false,\"fault\":\"");
    out.put(CodeReason::FaultName(v.fault));
    out.put("\",\"reason\":");
    Report::putJsonString(out, v.reason);
    if (v.fault == CodeReason::Fault::CheckDigit) {
        out.put(",\"kind\":\"");
        out.put(kindNames(v.kinds).c_str());
        out.put("\",\"corrected\":\"");
        out.put(v.corrected.data(), v.corrected.size());
        out.put('"');
    }
    out.put('}');
}

} // namespace Checker::GtinCheck
