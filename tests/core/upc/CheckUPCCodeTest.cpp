#include "core/base/Failure.h"
#include "core/upc/UpcCheck.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using modUPCCode::CheckUPCCode;
using modUPCCode::IsCheckDigitCorrect;
using modUPCCode::IsNumeric;

namespace {

class CheckUPCCodeTest : public ::testing::Test
{
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

TEST_F(CheckUPCCodeTest, KnownCodes)
{
    EXPECT_EQ(CheckUPCCode("012345678905"), "Valid");
    EXPECT_EQ(CheckUPCCode("712345678904"), "Valid");
    EXPECT_EQ(CheckUPCCode("801927504622"), "Valid");
    EXPECT_EQ(CheckUPCCode("279347895943"), "Not Valid"); // total 134
    EXPECT_EQ(CheckUPCCode("012345678900"), "Not Valid"); // total 85
    EXPECT_EQ(CheckUPCCode("000000000000"), "Valid");
}

TEST_F(CheckUPCCodeTest, HyphensAndSpacesAnywhereAreIgnored)
{
    EXPECT_EQ(CheckUPCCode("0-12345-67890-5"), "Valid");
    EXPECT_EQ(CheckUPCCode("0 12345 67890 5"), "Valid");
    EXPECT_EQ(CheckUPCCode("   012345678905  "), "Valid");
    EXPECT_EQ(CheckUPCCode("-0--1234 5678-905 -"), "Valid");
}

TEST_F(CheckUPCCodeTest, WrongLengthsAndNonNumbersAreNotValid)
{
    EXPECT_EQ(CheckUPCCode("01234567890"), "Not Valid");   // check digit missing
    EXPECT_EQ(CheckUPCCode("0012345678905"), "Not Valid"); // EAN-13
    EXPECT_EQ(CheckUPCCode(""), "Not Valid");
    EXPECT_EQ(CheckUPCCode("- - -"), "Not Valid");
    EXPECT_EQ(CheckUPCCode("abcdefghijkl"), "Not Valid");
    EXPECT_EQ(CheckUPCCode("01234567890X"), "Not Valid");
}

TEST_F(CheckUPCCodeTest, TabsAreNeverRemoved)
{
    EXPECT_EQ(CheckUPCCode("\t012345678905"), "Not Valid");
    EXPECT_EQ(CheckUPCCode("012345678905\t"), "Not Valid");
}

TEST_F(CheckUPCCodeTest, TwelveCharacterNumbersWithOtherCharactersRaiseTypeMismatch)
{
    for (const char* code :
         {"0123456789.5", "+12345678905", "1,234,567,89", "1234567890e5", "$12345678905"}) {
        SCOPED_TRACE(code);
        try {
            CheckUPCCode(QString::fromUtf8(code));
            ADD_FAILURE() << "no failure raised";
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.description(), "Type mismatch");
        }
    }
}

TEST_F(CheckUPCCodeTest, TheCallersTextIsNotChanged)
{
    const QString code = QStringLiteral("0-12345-67890-5");
    CheckUPCCode(code);
    EXPECT_EQ(code, "0-12345-67890-5");
}

TEST_F(CheckUPCCodeTest, NumericTestFollowsTheLocale)
{
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    EXPECT_TRUE(IsNumeric(u"0", us));
    EXPECT_TRUE(
        IsNumeric(u"00000000000000000000000000000000000000000000000000000000000000000000"
                  u"0000000000000000000000000000000000000000000000000000000000000000000000"
                  u"000000000000000000000000000000000000000000000000000000000000000000000000"
                  u"000000000000000000000000000000000000000000000000000000000000000000000000"
                  u"000000000000000000000000000000000000000000000000000000000000000000000000"
                  u"1",
                  us));
    EXPECT_TRUE(IsNumeric(u"+5", us));
    EXPECT_TRUE(IsNumeric(u"1.5", us));
    EXPECT_TRUE(IsNumeric(u"1,234", us));
    EXPECT_TRUE(IsNumeric(u"1e5", us));
    EXPECT_TRUE(IsNumeric(u"$12", us));
    EXPECT_FALSE(IsNumeric(u"", us));
    EXPECT_FALSE(IsNumeric(u"abc", us));
    EXPECT_FALSE(IsNumeric(u"inf", us));
    EXPECT_FALSE(IsNumeric(u"nan", us));
    EXPECT_FALSE(IsNumeric(u"12a", us));

    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_TRUE(IsNumeric(u"1,5", german));
    EXPECT_TRUE(IsNumeric(u"1.234", german));
    EXPECT_TRUE(IsNumeric(u"12\u20ac", german));
}

TEST_F(CheckUPCCodeTest, CheckDigitSum)
{
    EXPECT_TRUE(IsCheckDigitCorrect(u"012345678905"));
    EXPECT_FALSE(IsCheckDigitCorrect(u"279347895943"));
    EXPECT_THROW(IsCheckDigitCorrect(u"01234567890"), Failure);       // one character short
    EXPECT_THROW(IsCheckDigitCorrect(u"01234567890\u0665"), Failure); // not an ASCII digit
}

// Every 12-digit code whose last digit is the one the sum calls for is valid,
// and no other last digit is.
TEST_F(CheckUPCCodeTest, AgreesWithTheCheckDigitFormula)
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
            EXPECT_EQ(CheckUPCCode(full), last == check ? "Valid" : "Not Valid")
                << qPrintable(full);
        }
    }
}

} // namespace
