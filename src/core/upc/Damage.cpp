#include "core/upc/Damage.h"

#include "core/upc/Gtin.h"
#include "core/upc/UpcCheck.h"

#include <QRegularExpression>
#include <QStringList>
#include <array>

namespace Damage {

namespace {

// What is left of a code to read, and the damage found so far.
struct Reading
{
    QString text;
    QStringList names;
    QStringList phrases;

    void found(const char* name, const QString& phrase)
    {
        if (names.contains(QLatin1StringView(name)))
            return;
        names.append(QLatin1StringView(name));
        phrases.append(phrase);
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

// A number in scientific notation, as a spreadsheet shows a long one: its
// digits when it holds all of them; false when it shows no such number or
// the digits are lost (then said so).
bool readScientific(Reading& r)
{
    static const QRegularExpression Scientific(
        QStringLiteral("^([0-9])(?:[.,]([0-9]*))?[eE]\\+?([0-9]{1,2})$"));
    const QRegularExpressionMatch m = Scientific.match(withoutBlanks(r.text));
    if (!m.hasMatch())
        return true;
    const QString fraction = m.captured(2);
    const qsizetype digits = m.captured(3).toInt() + 1; // of the whole number
    if (fraction.size() >= digits)
        return false; // no whole number
    if (1 + fraction.size() < digits) {
        r.found("scientific-notation",
                QStringLiteral("scientific notation that keeps only %1 of the number's %2 digits: "
                               "the others are lost; format the column as text and export again")
                    .arg(1 + fraction.size())
                    .arg(digits));
        return false;
    }
    r.text = m.captured(1) + fraction;
    r.found("scientific-notation", QStringLiteral("scientific notation"));
    return true;
}

// Thousands separators and a decimal part of zeros, as a number format writes.
void readNumberFormat(Reading& r)
{
    static const QRegularExpression Decimal(QStringLiteral("^([0-9].*)([.,])0{1,4}$"));
    static const QRegularExpression Groups(QStringLiteral("^[0-9]{1,3}(([,.'\u2019])[0-9]{3})"
                                                          "(\\2[0-9]{3})*$"));
    QString t = withoutBlanks(r.text);
    if (!Groups.match(t).hasMatch()) {
        const QRegularExpressionMatch decimal = Decimal.match(t);
        if (!decimal.hasMatch())
            return;
        t = decimal.captured(1);
        r.found("decimal-part", QStringLiteral("a number written with a decimal part"));
        const QRegularExpressionMatch groups = Groups.match(t);
        if (!groups.hasMatch() || groups.captured(2) == decimal.captured(2)) {
            r.text = t;
            return;
        }
    }
    static const QRegularExpression Separators(QStringLiteral("[,.'\u2019]"));
    t.remove(Separators);
    r.text = t;
    r.found("thousands-separators", QStringLiteral("thousands separators"));
}

QString sentence(const QStringList& phrases)
{
    QString text = phrases.join(QStringLiteral("; "));
    text[0] = text[0].toUpper();
    return text;
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
    } else if (const Gtin::GtinKinds kinds = Gtin::ValidKinds(digits); kinds && !r.names.empty()) {
        for (const Gtin::GtinKind kind : {Gtin::GtinKind::Ean13, Gtin::GtinKind::Gtin14})
            if (const std::optional<std::array<char, 12>> upcA = Gtin::UpcAOf(digits, kind))
                repaired.assign(upcA->data(), 12);
    }
    return {};
}

} // namespace

std::optional<Finding> Recognise(QStringView code)
{
    if (modUPCCode::CheckUPCCode(code) == modUPCCode::Verdict::Valid)
        return std::nullopt;
    Reading r{code.toString(), {}, {}};
    stripMarks(r);
    mapCharacters(r);
    if (!readScientific(r)) {
        if (r.names.empty())
            return std::nullopt;
        return Finding{r.names.join(u' '), sentence(r.phrases), {}};
    }
    readNumberFormat(r);
    std::string digits;
    for (const QChar c : r.text) {
        if (c.unicode() >= u'0' && c.unicode() <= u'9')
            digits += char(c.unicode());
        else if (c != u'-' && c != u' ')
            return std::nullopt; // a character no damage here explains
    }
    Finding f;
    const std::string other = readDigits(r, digits, f.repaired);
    // Eleven digits alone are told as the length they have.
    if (r.names.empty() || r.names == QStringList{QStringLiteral("missing-check-digit")})
        return std::nullopt;
    f.names = r.names.join(u' ');
    f.reason = sentence(r.phrases);
    if (!f.repaired.empty())
        f.reason += QStringLiteral(": ") + QLatin1StringView(f.repaired);
    else
        f.reason += QStringLiteral("; without it the code is still no valid UPC-A");
    if (!other.empty())
        f.reason +=
            QStringLiteral(" (or the check digit missing: %1)").arg(QLatin1StringView(other));
    return f;
}

} // namespace Damage
