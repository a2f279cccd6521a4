#include "core/upc/Damage.h"

#include "core/upc/CodeReason.h"
#include "core/upc/UpcCheck.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

// Real-looking damaged codes and, worked out by hand, the code each was.
// 012345678905, 036000291452, 001234567895 and 123456789012 are valid.
struct Case
{
    const char16_t* code;
    const char* names; // "" for no damage recognised
    const char* repaired;
    const char16_t* inReason = u"";
};

const Case Cases[] = {
    {u"12345678905", "lost-leading-zero", "012345678905",
     u"(or the check digit missing: 123456789050)"},
    {u"12345678905.0", "decimal-part lost-leading-zero", "012345678905"},
    {u"36000291452.00", "decimal-part lost-leading-zero", "036000291452"},
    {u"1.23456789012E+11", "scientific-notation", "123456789012"},
    {u"1.23457E+11", "scientific-notation", "", u"keeps only 6 of the number's 12 digits"},
    {u"'012345678905", "text-mark", "012345678905"},
    {u"\"012345678905\"", "quotes", "012345678905"},
    {u"=\"012345678905\"", "formula-text", "012345678905"},
    {u"+036000291452", "leading-plus", "036000291452"},
    {u"36,000,291,452", "thousands-separators lost-leading-zero", "036000291452"},
    {u"012345\u00A0678905", "no-break-space", "012345678905", u"U+00A0"},
    {u"036000\u200B291452", "format-character", "036000291452", u"U+200B"},
    {u"\uFF10\uFF11\uFF12345678905", "full-width-digits", "012345678905"},
    {u"\u0660\u0663\u0666000291452", "other-digits", "036000291452"},
    {u"1234567895", "lost-leading-zeros", "001234567895"},
    {u"'12345678901", "text-mark missing-check-digit", "123456789012"},
    {u"12345678901", "", ""}, // eleven digits alone: their length says it
    {u"\"0012345678905\"", "quotes", "012345678905"},
    {u"'012345678901", "text-mark", "", u"still no valid UPC-A"},
    {u"012345678905", "", ""},  // valid
    {u"012345678901", "", ""},  // a wrong check digit is no damage
    {u"'01234567890A", "", ""}, // a letter is not explained away
    {u"0123456789", "", ""},
};

class DamageTest : public ::testing::TestWithParam<Case>
{};

// The damage is named, its repair is valid, and the verdict stays that of the
// check; the reason of a code says the same, as text or as bytes.
TEST_P(DamageTest, NamedWithRepair)
{
    const Case& c = GetParam();
    const QString code = QString::fromUtf16(c.code);
    const std::optional<Damage::Finding> found = Damage::Recognise(code);
    ASSERT_EQ(found.has_value(), *c.names != '\0');
    const CodeReason::Explanation why = CodeReason::Explain(code);
    if (!found) {
        EXPECT_TRUE(why.damage.isEmpty());
        return;
    }
    EXPECT_EQ(found->names, QLatin1String(c.names));
    EXPECT_EQ(found->repaired, c.repaired);
    EXPECT_TRUE(found->reason.contains(QString::fromUtf16(c.inReason)))
        << found->reason.toStdString();
    if (!found->repaired.empty()) {
        EXPECT_TRUE(found->reason.endsWith(QLatin1String(found->repaired.c_str())) ||
                    found->reason.contains(QLatin1String(found->repaired.c_str()) + u' '));
        EXPECT_EQ(modUPCCode::CheckUPCCode(QLatin1StringView(found->repaired.c_str())),
                  modUPCCode::Verdict::Valid);
    }
    EXPECT_NE(modUPCCode::CheckUPCCode(code), modUPCCode::Verdict::Valid);
    EXPECT_FALSE(why.valid());
    EXPECT_EQ(why.damage, found->names);
    EXPECT_EQ(why.reason, found->reason);
    EXPECT_EQ(why.repaired, QLatin1String(c.repaired));

    CodeReason::DigitsReason bytes;
    if (CodeReason::ReasonOfDigitCode(QLatin1StringView(code.toLatin1()), bytes)) {
        EXPECT_EQ(bytes.damage, c.names);
        EXPECT_EQ(bytes.repaired, c.repaired);
        EXPECT_EQ(QString::fromStdString(bytes.reason), found->reason);
    }
}

INSTANTIATE_TEST_SUITE_P(Codes, DamageTest, ::testing::ValuesIn(Cases));

} // namespace
