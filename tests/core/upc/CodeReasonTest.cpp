#include "core/upc/CodeReason.h"

#include "core/upc/UpcCheck.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using CodeReason::Explain;
using CodeReason::Fault;
using modUPCCode::Verdict;

namespace {

struct Case
{
    const char16_t* code;
    Fault fault;
    const char16_t* reason;
    const char16_t* corrected = u"";
};

class CodeReasonTest : public ::testing::TestWithParam<Case>
{
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

// Every case also carries the check's own verdict: valid exactly when the
// check says Valid, a type mismatch exactly when it says TypeMismatch. The
// check of ASCII bytes agrees, and so does the reason of ASCII digits,
// hyphens and blanks as bytes (whose buffers serve the next code).
TEST_P(CodeReasonTest, ReasonAndVerdict)
{
    const Case& c = GetParam();
    const QString code = QString::fromUtf16(c.code);
    const CodeReason::Explanation e = Explain(code);
    EXPECT_EQ(int(e.fault), int(c.fault));
    EXPECT_EQ(e.reason, QString::fromUtf16(c.reason));
    EXPECT_EQ(e.corrected, QString::fromUtf16(c.corrected));

    const Verdict verdict = modUPCCode::CheckUPCCode(code);
    EXPECT_EQ(verdict == Verdict::Valid, e.valid());
    EXPECT_EQ(verdict == Verdict::TypeMismatch, e.fault == Fault::TypeMismatch);
    if (!e.corrected.isEmpty()) {
        EXPECT_TRUE(modUPCCode::CheckUPCCode(e.corrected) == Verdict::Valid);
    }

    bool ascii = true;
    for (QChar ch : code)
        ascii = ascii && ch.unicode() < 0x80;
    if (ascii) {
        const QByteArray bytes = code.toLatin1();
        EXPECT_EQ(modUPCCode::CheckUPCCode(QLatin1StringView(bytes)), verdict);
        static CodeReason::DigitsReason r;
        if (CodeReason::ReasonOfDigitCode(QLatin1StringView(bytes), r)) {
            EXPECT_EQ(int(r.fault), int(e.fault));
            EXPECT_EQ(QLatin1StringView(r.reason), e.reason);
            EXPECT_EQ(QLatin1StringView(r.corrected), e.corrected);
        } else {
            EXPECT_TRUE(e.fault == Fault::Character || e.fault == Fault::TypeMismatch);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Valid, CodeReasonTest,
                         ::testing::Values(Case{u" 0-12345-67890-5 ", Fault::None, u""}));

INSTANTIATE_TEST_SUITE_P(Empty, CodeReasonTest,
                         ::testing::Values(Case{u"", Fault::Empty, u"Empty"},
                                           Case{u" - -", Fault::Empty,
                                                u"No digits, only hyphens and blanks"}));

INSTANTIATE_TEST_SUITE_P(
    Character, CodeReasonTest,
    ::testing::Values(
        Case{u"01234567890X", Fault::Character,
             u"\"X\" at position 12 is not a digit, hyphen or blank"},
        Case{u"012345678905\t", Fault::Character,
             u"U+0009 at position 13 is not a digit, hyphen or blank"},
        Case{u"0-1\u00a0234567890X", Fault::Character,
             u"U+00A0 at position 4 is not a digit, hyphen or blank"},
        Case{u"\U0001F600x1", Fault::Character,
             u"\"\U0001F600\" (U+1F600) at position 1 is not a digit, hyphen or blank"},
        Case{u"ab\U0001F600", Fault::Character,
             u"\"a\" at position 1 is not a digit, hyphen or blank"},
        Case{u"1.5", Fault::Character, u"\".\" at position 2 is not a digit, hyphen or blank"}));

INSTANTIATE_TEST_SUITE_P(
    Length, CodeReasonTest,
    ::testing::Values(Case{u"0-12345-67890", Fault::Length,
                           u"11 digits, UPC-A has 12; check digit 5 completes it: 012345678905",
                           u"012345678905"},
                      Case{u"0012345678900", Fault::Length, u"13 digits, UPC-A has 12"},
                      Case{u"7", Fault::Length, u"1 digit, UPC-A has 12"}));

// Other GTIN forms (their check digits are worked out in GtinTest).
INSTANTIATE_TEST_SUITE_P(
    GtinForm, CodeReasonTest,
    ::testing::Values(
        Case{u"0012345678905", Fault::Length,
             u"13 digits, UPC-A has 12; EAN-13 form of UPC-A 012345678905", u"012345678905"},
        Case{u"0001-2345-6789-05", Fault::Length,
             u"14 digits, UPC-A has 12; GTIN-14 form of UPC-A 012345678905", u"012345678905"},
        Case{u"0 4252614", Fault::Length,
             u"8 digits, UPC-A has 12; UPC-E form of UPC-A 042100005264", u"042100005264"},
        Case{u"01234565", Fault::Length,
             u"8 digits, UPC-A has 12; UPC-E form of UPC-A 012345000065, also a valid EAN-8, "
             u"which has no UPC-A form",
             u"012345000065"},
        Case{u"96385074", Fault::Length,
             u"8 digits, UPC-A has 12; a valid EAN-8, which has no UPC-A form"},
        Case{u"4006381333931", Fault::Length,
             u"13 digits, UPC-A has 12; a valid EAN-13, which has no UPC-A form"},
        Case{u"10012345678902", Fault::Length,
             u"14 digits, UPC-A has 12; a valid GTIN-14, which has no UPC-A form"}));

INSTANTIATE_TEST_SUITE_P(
    CheckDigit, CodeReasonTest,
    ::testing::Values(Case{u"012345678900", Fault::CheckDigit,
                           u"Check digit 0 is wrong, expected 5: 012345678905", u"012345678905"},
                      Case{u"2793-4789 5943", Fault::CheckDigit,
                           u"Check digit 3 is wrong, expected 9: 279347895949", u"279347895949"}));

INSTANTIATE_TEST_SUITE_P(
    TypeMismatch, CodeReasonTest,
    ::testing::Values(
        Case{u"0123456789.5", Fault::TypeMismatch,
             u"Reads as a number, but \".\" at position 11 is not a digit (Type mismatch)"},
        Case{u"+1234-56789.5", Fault::TypeMismatch,
             u"Reads as a number, but \"+\" at position 1 is not a digit (Type mismatch)"}));

// A code checked as any GTIN: its kinds and GTIN-14 when valid, the kind its
// length gives for a wrong check digit, and the reasons of the UPC-A check
// for a character or nothing.
TEST(CodeReason, ExplainsGtin)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const struct
    {
        const char16_t* code;
        Fault fault;
        const char16_t* reason;
        int kinds;
        const char* gtin14;
        const char* corrected;
    } cases[] = {
        {u"0-12345-67890-5", Fault::None, u"", int(Gtin::GtinKind::UpcA), "00012345678905", ""},
        {u"01234565", Fault::None, u"", int(Gtin::GtinKind::Ean8) | int(Gtin::GtinKind::UpcE),
         "00000001234565", ""},
        {u"6291041500214", Fault::CheckDigit,
         u"Check digit 4 is wrong for EAN-13, expected 3: 6291041500213",
         int(Gtin::GtinKind::Ean13), "", "6291041500213"},
        {u"96385075", Fault::CheckDigit, u"Check digit 5 is wrong for GTIN-8, expected 4: 96385074",
         int(Gtin::GtinKind::Ean8), "", "96385074"},
        {u"12", Fault::Length, u"2 digits, a GTIN has 8, 12, 13 or 14", 0, "", ""},
        {u" 1", Fault::Length, u"1 digit, a GTIN has 8, 12, 13 or 14", 0, "", ""},
        {u"", Fault::Empty, u"Empty", 0, "", ""},
        {u"x1", Fault::Character, u"\"x\" at position 1 is not a digit, hyphen or blank", 0, "",
         ""},
    };
    for (const auto& c : cases) {
        const QString code = QString::fromUtf16(c.code);
        SCOPED_TRACE(code.toStdString());
        const CodeReason::GtinExplanation e = CodeReason::ExplainGtin(code);
        EXPECT_EQ(int(e.fault), int(c.fault));
        EXPECT_EQ(e.reason, QString::fromUtf16(c.reason));
        EXPECT_EQ(e.kinds.toInt(), c.kinds);
        EXPECT_EQ(e.gtin14, c.gtin14);
        EXPECT_EQ(e.corrected, c.corrected);
    }
    QLocale::setDefault(QLocale::system());
}

} // namespace
