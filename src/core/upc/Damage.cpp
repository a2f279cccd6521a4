#include "core/upc/Damage.h"

#include "core/upc/Gtin.h"
#include "core/upc/UpcCheck.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <string>
#include <utility>

namespace Damage {

namespace {

// What is left of a code to read, and the damage found so far.
struct Reading
{
    QString text;
    QString names;  // separated by blanks
    QString reason; // the phrases, separated by "; "

    void found(const char* kind, QStringView phrase)
    {
        const QLatin1StringView name(kind);
        if (names.contains(name))
            return;
        if (!names.isEmpty()) {
            names += u' ';
            reason += QLatin1StringView("; ");
        }
        names += name;
        reason += phrase;
    }
};

QString codePoint(char32_t c)
{
    return QStringLiteral("U+%1").arg(qulonglong(c), 4, 16, QLatin1Char('0')).toUpper();
}

QString withoutBlanks(QStringView text)
{
    QString t = text.toString();
    t.remove(u' ');
    return t;
}

// The marks that spreadsheets and CSV files leave around or before a code.
void stripMarks(Reading& r)
{
    QString& t = r.text;
    if (t.size() > 3 && t.startsWith(u"=\"") && t.endsWith(u'"')) {
        t = t.sliced(2).chopped(1);
        r.found("formula-text", QStringLiteral("spreadsheet formula text (=\"...\")"));
    }
    if (t.size() > 2 && t.startsWith(u'"') && t.endsWith(u'"')) {
        while (t.size() > 1 && t.startsWith(u'"') && t.endsWith(u'"'))
            t = t.sliced(1).chopped(1);
        r.found("quotes", QStringLiteral("quotes left from a CSV field"));
    }
    if (t.startsWith(u'\'') || t.startsWith(u'\u2019')) {
        t.remove(0, 1);
        r.found("text-mark", QStringLiteral("a spreadsheet's text mark (')"));
    }
    if (t.startsWith(u'+')) {
        t.remove(0, 1);
        r.found("leading-plus", QStringLiteral("a leading plus sign"));
    }
}

// Digits of other forms become ASCII ones; spaces and invisible characters
// that pages copy along go.
void mapCharacters(Reading& r)
{
    QString out;
    for (const char32_t c : r.text.toUcs4()) {
        if (c < 0x80) {
            out.append(QChar(char16_t(c)));
        } else if (QChar::isDigit(c)) {
            out.append(QChar(char16_t(u'0' + QChar::digitValue(c))));
            if (c >= 0xFF10 && c <= 0xFF19)
                r.found("full-width-digits", QStringLiteral("full-width digits"));
            else
                r.found("other-digits",
                        QStringLiteral("digits of another script (%1)").arg(codePoint(c)));
        } else if (QChar::category(c) == QChar::Separator_Space) {
            if (c == 0xA0 || c == 0x2007 || c == 0x202F)
                r.found("no-break-space",
                        QStringLiteral("a no-break space (%1), as web pages and PDFs copy one")
                            .arg(codePoint(c)));
            else
                r.found("space-character",
                        QStringLiteral("a space character (%1)").arg(codePoint(c)));
        } else if (QChar::category(c) == QChar::Other_Format) {
            r.found("format-character",
                    QStringLiteral("an invisible character (%1), as web pages copy one")
                        .arg(codePoint(c)));
        } else {
            out.append(QString::fromUcs4(&c, 1));
        }
    }
    r.text = out;
}

bool isDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

qsizetype digitsFrom(QStringView t, qsizetype at)
{
    qsizetype end = at;
    while (end < t.size() && isDigit(t[end]))
        ++end;
    return end - at;
}

// The digits of the fraction and of the whole number that a text in
// scientific notation ("1.23456789012E+11") stands for; none for another text.
std::optional<std::pair<qsizetype, qsizetype>> scientific(QStringView t)
{
    const bool point = t.size() > 1 && (t[1] == u'.' || t[1] == u',');
    const qsizetype fraction = point ? digitsFrom(t, 2) : 0;
    qsizetype at = point ? 2 + fraction : 1;
    if (t.isEmpty() || !isDigit(t[0]) || at >= t.size() || t[at].toLower() != u'e')
        return std::nullopt;
    at += t.size() > at + 1 && t[at + 1] == u'+' ? 2 : 1;
    const qsizetype exponent = digitsFrom(t, at);
    if (exponent < 1 || exponent > 2 || at + exponent != t.size())
        return std::nullopt;
    return std::pair(fraction, t.sliced(at).toInt() + 1);
}

// A number in scientific notation, as a spreadsheet shows a long one: its
// digits when it holds all of them; false when it is no whole number or the
// digits are lost (then said so).
bool readScientific(Reading& r)
{
    if (!r.text.contains(u'e', Qt::CaseInsensitive))
        return true;
    const QString t = withoutBlanks(r.text);
    const auto number = scientific(t);
    if (!number)
        return true;
    const auto [fraction, digits] = *number;
    if (fraction >= digits)
        return false;
    if (1 + fraction < digits) {
        r.found("scientific-notation",
                QStringLiteral("scientific notation that keeps only %1 of the number's %2 digits: "
                               "the others are lost; format the column as text and export again")
                    .arg(1 + fraction)
                    .arg(digits));
        return false;
    }
    r.text = t[0] + t.sliced(2, fraction);
    r.found("scientific-notation", QStringLiteral("scientific notation"));
    return true;
}

bool isSeparator(QChar c)
{
    return c == u',' || c == u'.' || c == u'\'' || c == u'\u2019';
}

// The separator of digits in groups of three after a first group of one to
// three ("36,000,291,452"); none when the text is not so.
QChar groupSeparator(QStringView t)
{
    const qsizetype first = digitsFrom(t, 0);
    if (first < 1 || first > 3 || first == t.size() || !isSeparator(t[first]) ||
        (t.size() - first) % 4 != 0)
        return {};
    for (qsizetype at = first; at < t.size(); at += 4)
        if (t[at] != t[first] || digitsFrom(t, at + 1) < 3)
            return {};
    return t[first];
}

// Thousands separators and a decimal part of zeros, as a number format writes.
void readNumberFormat(Reading& r)
{
    if (std::none_of(r.text.begin(), r.text.end(), isSeparator))
        return;
    QString t = withoutBlanks(r.text);
    QChar group = groupSeparator(t);
    if (group.isNull()) {
        const qsizetype point = std::max(t.lastIndexOf(u'.'), t.lastIndexOf(u','));
        const qsizetype zeros = t.size() - point - 1;
        if (point < 1 || !isDigit(t[0]) || zeros < 1 || zeros > 4 ||
            digitsFrom(t, point + 1) != zeros || t.sliced(point + 1).count(u'0') != zeros)
            return;
        const QChar decimal = t[point];
        t.truncate(point);
        r.found("decimal-part", QStringLiteral("a number written with a decimal part"));
        group = groupSeparator(t);
        if (group.isNull() || group == decimal) {
            r.text = t;
            return;
        }
    }
    t.remove(group);
    r.text = t;
    r.found("thousands-separators", QStringLiteral("thousands separators"));
}

// Whether a code holds nothing that rules damage out at once: a letter
// (but the "e" of scientific notation) or a sign no damage here leaves.
bool mayShowDamage(QStringView code)
{
    static const std::bitset<128> Left = [] {
        std::bitset<128> left;
        for (const char c : std::string_view("0123456789 -.,'\"=+eE"))
            left.set(size_t(c));
        return left;
    }();
    return std::none_of(code.begin(), code.end(), [](QChar c) {
        return c.unicode() < 0x80 ? !Left[c.unicode()] : c.isLetter();
    });
}

QString sentence(QString reason)
{
    reason[0] = reason[0].toUpper();
    return reason;
}

std::string withCheckDigit(const std::string& digits)
{
    return digits + char('0' + modUPCCode::CheckDigitFor(digits.data(), 12));
}

bool validUpcA(const std::string& digits)
{
    return digits.size() == 12 && modUPCCode::CheckDigitFor(digits.data()) == digits[11] - '0';
}

// What the digits left say: a leading zero or two lost, a check digit
// missing, or another GTIN form of a UPC-A. Answers the reading that is
// second likeliest, if any.
std::string readDigits(Reading& r, const std::string& digits, std::string& repaired)
{
    if (validUpcA(digits)) {
        repaired = digits;
    } else if (digits.size() == 11 && validUpcA('0' + digits)) {
        repaired = '0' + digits;
        r.found("lost-leading-zero",
                QStringLiteral("the leading 0 probably lost (a spreadsheet kept the code as a "
                               "number)"));
        return withCheckDigit(digits);
    } else if (digits.size() == 11) {
        repaired = withCheckDigit(digits);
        r.found("missing-check-digit", QStringLiteral("the check digit probably missing"));
    } else if (digits.size() == 10 && validUpcA("00" + digits)) {
        repaired = "00" + digits;
        r.found("lost-leading-zeros",
                QStringLiteral("the leading zeros probably lost (a spreadsheet kept the code as "
                               "a number)"));
    } else if (const Gtin::GtinKinds kinds = Gtin::ValidKinds(digits);
               kinds && !r.names.isEmpty()) {
        for (const Gtin::GtinKind kind : {Gtin::GtinKind::Ean13, Gtin::GtinKind::Gtin14})
            if (const std::optional<std::array<char, 12>> upcA = Gtin::UpcAOf(digits, kind))
                repaired.assign(upcA->data(), 12);
    }
    return {};
}

// The finding, once the digits are all that is left.
std::optional<Finding> conclude(Reading& r, const std::string& digits)
{
    Finding f;
    const std::string other = readDigits(r, digits, f.repaired);
    // Eleven digits alone are told as the length they have.
    if (r.names.isEmpty() || r.names == QLatin1StringView("missing-check-digit"))
        return std::nullopt;
    f.names = r.names;
    f.reason = sentence(r.reason);
    if (!f.repaired.empty())
        f.reason += QLatin1StringView(": ") + QLatin1StringView(f.repaired);
    else
        f.reason += QLatin1StringView("; without it the code is still no valid UPC-A");
    if (!other.empty())
        f.reason +=
            QLatin1StringView(" (or the check digit missing: ") + QLatin1StringView(other) + u')';
    return f;
}

} // namespace

std::optional<Finding> RecogniseDigits(std::string_view digits)
{
    // Most such codes are no UPC-A with zeros in front: said without a text.
    const std::string padded = std::string(12 - std::min<size_t>(digits.size(), 12), '0');
    if ((digits.size() != 10 && digits.size() != 11) || !validUpcA(padded + std::string(digits)))
        return std::nullopt;
    Reading r;
    return conclude(r, std::string(digits));
}

std::optional<Finding> Recognise(QStringView code)
{
    if (!mayShowDamage(code) || modUPCCode::CheckUPCCode(code) == modUPCCode::Verdict::Valid)
        return std::nullopt;
    Reading r{code.toString(), {}, {}};
    stripMarks(r);
    if (std::any_of(code.begin(), code.end(), [](QChar c) { return c.unicode() >= 0x80; }))
        mapCharacters(r);
    if (!readScientific(r)) {
        if (r.names.isEmpty())
            return std::nullopt;
        return Finding{r.names, sentence(r.reason), {}};
    }
    readNumberFormat(r);
    std::string digits;
    for (const QChar c : r.text) {
        if (c.unicode() >= u'0' && c.unicode() <= u'9')
            digits += char(c.unicode());
        else if (c != u'-' && c != u' ')
            return std::nullopt; // a character no damage here explains
    }
    return conclude(r, digits);
}

} // namespace Damage
