#include "core/upc/CodeMeaning.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

// Codes whose meaning GS1's tables give, checked by hand: the UPC-A number
// systems, and the prefixes of known EAN-13, GTIN-14 and EAN-8 codes.
TEST(CodeMeaningTest, NumberSystemsAndPrefixes)
{
    const std::pair<const char*, const char*> cases[] = {
        {"036000291452", "Number system 0: a regular item"},
        {"0-36000-29145-2", "Number system 0: a regular item"}, // as written
        {"212345678909", "Number system 2: a variable-measure or in-store item, not unique beyond "
                         "one retailer"},
        {"312345678906", "Number system 3: a drug or health item (the US National Drug Code)"},
        {"512345678900", "Number system 5: a coupon"},
        {"4006381333931", "GS1 prefix 400: GS1 Germany"},
        {"9780306406157", "GS1 prefix 978: books (ISBN)"},
        {"0012345678905", "GS1 prefix 001: GS1 US"},
        {"10012345678902", "GS1 prefix 001: GS1 US"},
        {"96385074", "GS1 prefix 963: GS1 Global Office: GTIN-8 allocations"},
        {"01234565", "Number system 0: a regular item"}, // a UPC-E too: its UPC-A's
        {"036000291453", ""},                            // not valid
        {"1234", ""},
    };
    for (const auto& [digits, meaning] : cases)
        EXPECT_EQ(CodeMeaning::Of(QString::fromLatin1(digits)), QString::fromUtf8(meaning))
            << digits;
}

} // namespace
