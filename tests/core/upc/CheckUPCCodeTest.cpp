#include "core/upc/UpcCheck.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace modUPCCode {
void PrintTo(Verdict verdict, std::ostream* os)
{
    const char* names[] = {"Valid", "NotValid", "TypeMismatch"};
    *os << names[int(verdict)];
}
} // namespace modUPCCode

using modUPCCode::CheckUPCCode;
using modUPCCode::IsNumeric;
using modUPCCode::Verdict;

namespace {

static_assert(modUPCCode::WeightedSum("012345678905", 12) == 90);
static_assert(modUPCCode::WeightedSum(u"279347895943", 12) == 134);
static_assert(modUPCCode::CheckDigitFor("01234567890") == 5);

const QLocale Us(QLocale::English, QLocale::UnitedStates);
const QLocale German(QLocale::German, QLocale::Germany);

struct Case
{
    const char16_t* code;
    Verdict verdict;
    const QLocale* locale = &Us;
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << QString::fromUtf16(c.code).toStdString() << " in " << c.locale->name().toStdString();
}

class CheckUPCCodeTest : public ::testing::TestWithParam<Case>
{
protected:
    void SetUp() override { QLocale::setDefault(*GetParam().locale); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

// Every code gets the same verdict as UTF-16 text and, where it is Latin-1, as
// bytes; in the user's locale, and in the same locale given (while the user's
// is another).
TEST_P(CheckUPCCodeTest, Verdict)
{
    const QString code = QString::fromUtf16(GetParam().code);
    const QLocale given = *GetParam().locale;
    EXPECT_EQ(CheckUPCCode(code), GetParam().verdict);
    bool latin1 = true;
    for (QChar c : code)
        latin1 = latin1 && c.unicode() < 0x100;
    const QByteArray bytes = code.toLatin1();
    if (latin1) {
        EXPECT_EQ(CheckUPCCode(QLatin1StringView(bytes)), GetParam().verdict);
    }
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    EXPECT_EQ(CheckUPCCode(code, given), GetParam().verdict);
    if (latin1) {
        EXPECT_EQ(CheckUPCCode(QLatin1StringView(bytes), given), GetParam().verdict);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Digits, CheckUPCCodeTest,
    ::testing::Values(Case{u"012345678905", Verdict::Valid}, Case{u"712345678904", Verdict::Valid},
                      Case{u"801927504622", Verdict::Valid}, Case{u"036000291452", Verdict::Valid},
                      Case{u"000000000000", Verdict::Valid},
                      Case{u"279347895943", Verdict::NotValid}, // total 134
                      Case{u"012345678900", Verdict::NotValid}, // total 85
                      Case{u"01234567890", Verdict::NotValid},  // check digit missing
                      Case{u"0012345678905", Verdict::NotValid} // EAN-13
                      ));

INSTANTIATE_TEST_SUITE_P(HyphensAndSpacesAnywhere, CheckUPCCodeTest,
                         ::testing::Values(Case{u"0-12345-67890-5", Verdict::Valid},
                                           Case{u"0 12345 67890 5", Verdict::Valid},
                                           Case{u"   012345678905  ", Verdict::Valid},
                                           Case{u"-0--1234 5678-905 -", Verdict::Valid},
                                           Case{u"0-12345-67890-0", Verdict::NotValid},
                                           Case{u"", Verdict::NotValid},
                                           Case{u"- - -", Verdict::NotValid}));

// Tabs, no-break spaces and letters stay: no number, or one of the wrong length.
INSTANTIATE_TEST_SUITE_P(OtherCharacters, CheckUPCCodeTest,
                         ::testing::Values(Case{u"\t012345678905", Verdict::NotValid},
                                           Case{u"012345678905\t", Verdict::NotValid},
                                           Case{u"0\u00a012345678905", Verdict::NotValid},
                                           Case{u"abcdefghijkl", Verdict::NotValid},
                                           Case{u"01234567890X", Verdict::NotValid},
                                           Case{u"01234567890\u00e9", Verdict::NotValid},
                                           Case{u"01234567890\u0665", Verdict::NotValid},
                                           Case{u"0123456789.50", Verdict::NotValid},
                                           Case{u"1.5", Verdict::NotValid}));

// Twelve characters that read as a number in the locale but are no digits.
INSTANTIATE_TEST_SUITE_P(Numbers, CheckUPCCodeTest,
                         ::testing::Values(Case{u"0123456789.5", Verdict::TypeMismatch},
                                           Case{u"+12345678905", Verdict::TypeMismatch},
                                           Case{u"+1234-5678905", Verdict::TypeMismatch},
                                           Case{u"1,234,567,89", Verdict::TypeMismatch},
                                           Case{u"1234567890e5", Verdict::TypeMismatch},
                                           Case{u"$12345678905", Verdict::TypeMismatch},
                                           Case{u"12345678905\u20ac", Verdict::NotValid},
                                           Case{u"12345678905\u20ac", Verdict::TypeMismatch,
                                                &German},
                                           Case{u"$12345678905", Verdict::NotValid, &German},
                                           Case{u"0123456789,5", Verdict::TypeMismatch, &German}));

// Bytes get the verdict of the same text in UTF-16: digit strings of 7 to 17
// digits and every check digit, also with one byte next to the digits in
// ASCII or in Latin-1 ("/", ":", "\xB0", "\xB9") in each place.
TEST(CheckUPCCode, BytesAgreeWithText)
{
    quint32 x = 12345;
    for (int k = 0; k < 3000; ++k) {
        QByteArray code(7 + k % 11, '0');
        for (char& c : code)
            c = char('0' + (x = x * 1103515245u + 12345u) / 65536 % 10);
        for (qsizetype at = -1; at < code.size(); ++at) {
            for (char other : {'/', ':', '\xB0', '\xB9'}) {
                QByteArray changed = code;
                if (at >= 0)
                    changed[at] = other;
                EXPECT_EQ(CheckUPCCode(QLatin1StringView(changed), Us),
                          CheckUPCCode(QString::fromLatin1(changed), Us))
                    << changed.toStdString();
            }
        }
    }
}

TEST(IsNumeric, FollowsTheLocale)
{
    const QString longNumber = QString(300, u'0') + u'1';
    for (const char16_t* text : {u"0", u"+5", u"1.5", u"1,234", u"1e5", u"$12"})
        EXPECT_TRUE(IsNumeric(text, Us)) << QString::fromUtf16(text).toStdString();
    EXPECT_TRUE(IsNumeric(longNumber, Us));
    for (const char16_t* text : {u"", u"abc", u"inf", u"nan", u"12a"})
        EXPECT_FALSE(IsNumeric(text, Us)) << QString::fromUtf16(text).toStdString();
    for (const char16_t* text : {u"1,5", u"1.234", u"12\u20ac"})
        EXPECT_TRUE(IsNumeric(text, German)) << QString::fromUtf16(text).toStdString();
}

// Digits with an exponent, and with a decimal point, read as the locale's own
// conversion reads them, near the largest double too, in locales that write
// the exponent in either case or in another way, and with options that
// reject some forms.
TEST(IsNumeric, AgreesWithTheConversionOnExponentsAndPoints)
{
    QLocale strict = Us;
    strict.setNumberOptions(QLocale::RejectLeadingZeroInExponent |
                            QLocale::RejectTrailingZeroesAfterDot);
    const QLocale swedish(QLocale::Swedish, QLocale::Sweden);
    QStringList texts;
    for (const char16_t* mantissa : {u"1", u"17", u"18", u"0000", u"00012", u"17976931348", u"9"})
        for (int exponent : {0, 5, 296, 297, 298, 299, 300, 307, 308, 309, 310, 5678901})
            for (const char16_t* e : {u"e", u"E", u"E0"})
                texts << QString::fromUtf16(mantissa) + QString::fromUtf16(e) +
                             QString::number(exponent);
    texts << QStringLiteral("12345678901E") << QStringLiteral("E12345678901")
          << QStringLiteral("12E34E567890") << QStringLiteral("1234567890.10")
          << QStringLiteral("1234567.8.90") << QStringLiteral(".12345678901");
    for (const QLocale* locale :
         std::initializer_list<const QLocale*>{&Us, &German, &strict, &swedish})
        for (const QString& text : texts) {
            // A point that groups thousands is taken anywhere (see above).
            if (text.contains(u'.') && locale->groupSeparator() == QLatin1String("."))
                continue;
            bool ok = false;
            locale->toDouble(text, &ok);
            EXPECT_EQ(IsNumeric(text, *locale), ok) << qPrintable(locale->name() + u' ' + text);
        }
}

// Every 12-digit code whose last digit is the one the sum calls for is valid,
// and no other last digit is.
TEST(CheckUPCCode, AgreesWithTheCheckDigitFormula)
{
    quint64 state = 12345;
    for (int round = 0; round < 2000; ++round) {
        QString code;
        int odd = 0;
        int even = 0;
        for (int p = 0; p < 11; ++p) {
            state = state * 6364136223846793005ULL + 1442695040888963407ULL;
            const int digit = int((state >> 33) % 10);
            code += QChar(u'0' + digit);
            (p % 2 == 0 ? odd : even) += digit;
        }
        const int check = (10 - (odd * 3 + even) % 10) % 10;
        for (int last = 0; last < 10; ++last) {
            const QString full = code + QChar(u'0' + last);
            EXPECT_EQ(CheckUPCCode(full), last == check ? Verdict::Valid : Verdict::NotValid)
                << qPrintable(full);
        }
    }
}

} // namespace
