#include "core/upc/Gtin.h"

#include "core/upc/UpcCheck.h"

#include <gtest/gtest.h>
#include <ostream>
#include <string>

using Gtin::GtinKind;
using Gtin::GtinKinds;

namespace {

// EAN-13 4006381333931: weights 1 3 1 3 ... from the left for thirteen digits,
// 4 + 0 + 0 + 18 + 3 + 24 + 1 + 9 + 3 + 9 + 9 + 9 = 89, check digit 1.
static_assert(modUPCCode::CheckDigitFor("400638133393", 13) == 1);
// EAN-8 96385074: 27 + 6 + 9 + 8 + 15 + 0 + 21 = 86, check digit 4.
static_assert(modUPCCode::CheckDigitFor("9638507", 8) == 4);

template <std::size_t N> std::string text(const std::optional<std::array<char, N>>& digits)
{
    return digits ? std::string(digits->data(), N) : std::string();
}

struct Known
{
    const char* code;
    GtinKinds kinds; // what the code is valid as
    GtinKind as;     // the kind whose forms are asked for
    const char* gtin14;
    const char* upcA;
};

void PrintTo(const Known& k, std::ostream* os)
{
    *os << k.code;
}

class GtinTest : public ::testing::TestWithParam<Known>
{};

TEST_P(GtinTest, KindsAndForms)
{
    const Known& k = GetParam();
    EXPECT_EQ(Gtin::ValidKinds(k.code).toInt(), k.kinds.toInt());
    EXPECT_EQ(text(Gtin::Gtin14Of(k.code, k.as)), k.gtin14);
    EXPECT_EQ(text(Gtin::UpcAOf(k.code, k.as)), k.upcA);
}

// UPC-A 012345678905: odd positions 0+2+4+6+8+0 = 20, times 3 is 60; even
// positions 1+3+5+7+9 = 25; 85 + 5 = 90. Zeros in front keep every weight, so
// 0012345678905 and 00012345678905 are valid too. GTIN-14 10012345678902: the
// indicator 1 weighs 3, 85 + 3 = 88, check digit 2. 01234567890128: EAN-13
// 1234567890128 (1+6+3+12+5+18+7+24+9+0+1+6 = 92, check digit 8) with a 0 in
// front.
INSTANTIATE_TEST_SUITE_P(
    Gtin12To14, GtinTest,
    ::testing::Values(
        Known{"012345678905", GtinKind::UpcA, GtinKind::UpcA, "00012345678905", "012345678905"},
        Known{"0012345678905", GtinKind::Ean13, GtinKind::Ean13, "00012345678905", "012345678905"},
        Known{"00012345678905", GtinKind::Gtin14, GtinKind::Gtin14, "00012345678905",
              "012345678905"},
        Known{"10012345678902", GtinKind::Gtin14, GtinKind::Gtin14, "10012345678902", ""},
        Known{"4006381333931", GtinKind::Ean13, GtinKind::Ean13, "04006381333931", ""},
        Known{"01234567890128", GtinKind::Gtin14, GtinKind::Gtin14, "01234567890128", ""},
        Known{"0012345678900", {}, GtinKind::Ean13, "", ""},
        Known{"01234567890a", {}, GtinKind::UpcA, "", ""}));

// UPC-E to UPC-A, one code for each rule of the last middle digit X6:
//   04963406 (X6 0): 0 49 0 0000 634 6 = 049000006346; odd 0+9+0+0+6+4 = 19,
//     57 + even 4+0+0+0+3 = 64, check digit 6.
//   04252614 (X6 1): 0 42 1 0000 526 4 = 042100005264; 3 * 13 + 7 = 46, 4.
//   01234531 (X6 3): 0 123 00000 45 1 = 012300000451; 3 * 7 + 8 = 29, 1.
//   01234543 (X6 4): 0 1234 00000 5 3 = 012340000053; 3 * 11 + 4 = 37, 3.
//   01234565 (X6 6): 0 12345 0000 6 5 = 012345000065; 3 * 12 + 9 = 45, 5.
//   11234562: number system 1, 45 + 3 = 48, 2.
// As EAN-8 (weights 3 1 3 1 3 1 3): 0123456 sums to 45 and 1123456 to 48, so
// 01234565 and 11234562 are valid EAN-8 codes too (with X6 5 to 9 the weights
// fall alike); 0496340 sums to 50, 0425261 to 30, 0123453 to 36 and 0123454 to
// 39, no match. 96385074 sums to 86 (check digit 4) and 21234569 to 51 (9):
// EAN-8 only, number system 2 is no UPC-E. 12345678 sums to 60: neither.
INSTANTIATE_TEST_SUITE_P(
    Gtin8, GtinTest,
    ::testing::Values(
        Known{"04963406", GtinKind::UpcE, GtinKind::UpcE, "00049000006346", "049000006346"},
        Known{"04252614", GtinKind::UpcE, GtinKind::UpcE, "00042100005264", "042100005264"},
        Known{"01234531", GtinKind::UpcE, GtinKind::UpcE, "00012300000451", "012300000451"},
        Known{"01234543", GtinKind::UpcE, GtinKind::UpcE, "00012340000053", "012340000053"},
        Known{"01234565", GtinKind::UpcE | GtinKind::Ean8, GtinKind::UpcE, "00012345000065",
              "012345000065"},
        Known{"01234565", GtinKind::UpcE | GtinKind::Ean8, GtinKind::Ean8, "00000001234565", ""},
        Known{"11234562", GtinKind::UpcE | GtinKind::Ean8, GtinKind::UpcE, "00112345000062",
              "112345000062"},
        Known{"96385074", GtinKind::Ean8, GtinKind::Ean8, "00000096385074", ""},
        Known{"96385074", GtinKind::Ean8, GtinKind::UpcE, "", ""},
        Known{"21234569", GtinKind::Ean8, GtinKind::UpcE, "", ""},
        Known{"12345678", {}, GtinKind::Ean8, "", ""}));

TEST(Gtin, ExpandsOnlyNumberSystemsZeroAndOne)
{
    EXPECT_EQ(text(Gtin::ExpandUpcE("04252614")), "042100005264");
    EXPECT_EQ(text(Gtin::ExpandUpcE("04252610")), "042100005260"); // wrong check digit kept
    EXPECT_EQ(text(Gtin::ExpandUpcE("21234569")), "");
    EXPECT_EQ(text(Gtin::ExpandUpcE("0425261")), "");
}

// The names of a set of kinds, and the forms --normalize writes: 01234565 is
// valid both as EAN-8 (0 + 1 + 6 + 3 + 12 + 5 + 18 + 5 = 50) and as the UPC-E
// of 012345000065.
TEST(Gtin, NamesAndForms)
{
    const struct
    {
        const char* digits;
        GtinKinds kinds;
        const char* names;
        const char* gtin14;
        const char* upcA;
    } cases[] = {
        {"01234565", GtinKind::Ean8 | GtinKind::UpcE, "gtin-8 upc-e", "00000001234565",
         "012345000065"},
        {"96385074", GtinKind::Ean8, "gtin-8", "00000096385074", "00000096385074"},
        {"012345678905", GtinKind::UpcA, "upc-a", "00012345678905", "012345678905"},
        {"0012345678905", GtinKind::Ean13, "ean-13", "00012345678905", "012345678905"},
        {"10012345678902", GtinKind::Gtin14, "gtin-14", "10012345678902", "10012345678902"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.digits);
        EXPECT_EQ(Gtin::ValidKinds(c.digits).toInt(), c.kinds.toInt());
        EXPECT_EQ(Gtin::FamilyNames(c.kinds), c.names);
        EXPECT_EQ(Gtin::FormOf(c.digits, c.kinds, Gtin::Form::AsGiven), c.digits);
        EXPECT_EQ(Gtin::FormOf(c.digits, c.kinds, Gtin::Form::Gtin14), c.gtin14);
        EXPECT_EQ(Gtin::FormOf(c.digits, c.kinds, Gtin::Form::UpcA), c.upcA);
    }
    EXPECT_EQ(Gtin::FamilyNames({}), "");
    EXPECT_STREQ(Gtin::KindName(GtinKind::Ean8), "EAN-8");
    EXPECT_STREQ(Gtin::FamilyName(GtinKind::Ean8), "GTIN-8");
    EXPECT_STREQ(Gtin::FamilyName(GtinKind::Ean13), "EAN-13");
}

} // namespace
