#include "core/upc/CodeMeaning.h"

#include "core/upc/Gtin.h"

#include <algorithm>
#include <iterator>
#include <string>

namespace CodeMeaning {

namespace {

// The number systems of UPC-A, by the first digit.
constexpr const char* NumberSystems[10] = {
    "a regular item",
    "a regular item",
    "a variable-measure or in-store item, not unique beyond one retailer",
    "a drug or health item (the US National Drug Code)",
    "for in-store use",
    "a coupon",
    "a regular item",
    "a regular item",
    "a regular item",
    "a regular item",
};

struct Prefixes
{
    int first;
    int last;
    const char* meaning;
};

// GS1 prefixes, the first three digits of a GTIN-13, in order. Those left
// out are kept by GS1 for future use.
// clang-format off
constexpr Prefixes Gs1Prefixes[] = {
    {0, 19, "GS1 US"}, {20, 29, "restricted circulation within a geographic region"},
    {30, 39, "GS1 US (drugs and health items)"},
    {40, 49, "restricted circulation within a company"}, {50, 59, "coupons (GS1 US)"},
    {60, 139, "GS1 US"}, {200, 299, "restricted circulation within a geographic region"},
    {300, 379, "GS1 France"}, {380, 380, "GS1 Bulgaria"}, {383, 383, "GS1 Slovenia"},
    {385, 385, "GS1 Croatia"}, {387, 387, "GS1 Bosnia and Herzegovina"},
    {389, 389, "GS1 Montenegro"}, {400, 440, "GS1 Germany"}, {450, 459, "GS1 Japan"},
    {460, 469, "GS1 Russia"}, {470, 470, "GS1 Kyrgyzstan"}, {471, 471, "GS1 Taiwan"},
    {474, 474, "GS1 Estonia"}, {475, 475, "GS1 Latvia"}, {476, 476, "GS1 Azerbaijan"},
    {477, 477, "GS1 Lithuania"}, {478, 478, "GS1 Uzbekistan"}, {479, 479, "GS1 Sri Lanka"},
    {480, 480, "GS1 Philippines"}, {481, 481, "GS1 Belarus"}, {482, 482, "GS1 Ukraine"},
    {484, 484, "GS1 Moldova"}, {485, 485, "GS1 Armenia"}, {486, 486, "GS1 Georgia"},
    {487, 487, "GS1 Kazakhstan"}, {488, 488, "GS1 Tajikistan"}, {489, 489, "GS1 Hong Kong"},
    {490, 499, "GS1 Japan"}, {500, 509, "GS1 UK"}, {520, 521, "GS1 Greece"},
    {528, 528, "GS1 Lebanon"}, {529, 529, "GS1 Cyprus"}, {530, 530, "GS1 Albania"},
    {531, 531, "GS1 North Macedonia"}, {535, 535, "GS1 Malta"}, {539, 539, "GS1 Ireland"},
    {540, 549, "GS1 Belgium and Luxembourg"}, {560, 560, "GS1 Portugal"},
    {569, 569, "GS1 Iceland"}, {570, 579, "GS1 Denmark"}, {590, 590, "GS1 Poland"},
    {594, 594, "GS1 Romania"}, {599, 599, "GS1 Hungary"}, {600, 601, "GS1 South Africa"},
    {603, 603, "GS1 Ghana"}, {604, 604, "GS1 Senegal"}, {608, 608, "GS1 Bahrain"},
    {609, 609, "GS1 Mauritius"}, {611, 611, "GS1 Morocco"}, {613, 613, "GS1 Algeria"},
    {615, 615, "GS1 Nigeria"}, {616, 616, "GS1 Kenya"}, {618, 618, "GS1 Côte d'Ivoire"},
    {619, 619, "GS1 Tunisia"}, {620, 620, "GS1 Tanzania"}, {621, 621, "GS1 Syria"},
    {622, 622, "GS1 Egypt"}, {623, 623, "GS1 Brunei"}, {624, 624, "GS1 Libya"},
    {625, 625, "GS1 Jordan"}, {626, 626, "GS1 Iran"}, {627, 627, "GS1 Kuwait"},
    {628, 628, "GS1 Saudi Arabia"}, {629, 629, "GS1 United Arab Emirates"},
    {640, 649, "GS1 Finland"}, {690, 699, "GS1 China"}, {700, 709, "GS1 Norway"},
    {729, 729, "GS1 Israel"}, {730, 739, "GS1 Sweden"}, {740, 740, "GS1 Guatemala"},
    {741, 741, "GS1 El Salvador"}, {742, 742, "GS1 Honduras"}, {743, 743, "GS1 Nicaragua"},
    {744, 744, "GS1 Costa Rica"}, {745, 745, "GS1 Panama"},
    {746, 746, "GS1 Dominican Republic"}, {750, 750, "GS1 Mexico"},
    {754, 755, "GS1 Canada"}, {759, 759, "GS1 Venezuela"}, {760, 769, "GS1 Switzerland"},
    {770, 771, "GS1 Colombia"}, {773, 773, "GS1 Uruguay"}, {775, 775, "GS1 Peru"},
    {777, 777, "GS1 Bolivia"}, {778, 779, "GS1 Argentina"}, {780, 780, "GS1 Chile"},
    {784, 784, "GS1 Paraguay"}, {786, 786, "GS1 Ecuador"}, {789, 790, "GS1 Brazil"},
    {800, 839, "GS1 Italy"}, {840, 849, "GS1 Spain"}, {850, 850, "GS1 Cuba"},
    {858, 858, "GS1 Slovakia"}, {859, 859, "GS1 Czech Republic"}, {860, 860, "GS1 Serbia"},
    {865, 865, "GS1 Mongolia"}, {867, 867, "GS1 North Korea"}, {868, 869, "GS1 Türkiye"},
    {870, 879, "GS1 Netherlands"}, {880, 880, "GS1 South Korea"}, {884, 884, "GS1 Cambodia"},
    {885, 885, "GS1 Thailand"}, {888, 888, "GS1 Singapore"}, {890, 890, "GS1 India"},
    {893, 893, "GS1 Vietnam"}, {896, 896, "GS1 Pakistan"}, {899, 899, "GS1 Indonesia"},
    {900, 919, "GS1 Austria"}, {930, 939, "GS1 Australia"}, {940, 949, "GS1 New Zealand"},
    {950, 950, "GS1 Global Office: special applications"},
    {955, 955, "GS1 Malaysia"}, {958, 958, "GS1 Macau"},
    {960, 969, "GS1 Global Office: GTIN-8 allocations"},
    {977, 977, "serial publications (ISSN)"}, {978, 979, "books (ISBN)"},
    {980, 980, "refund receipts"}, {981, 984, "coupons in a common currency area"},
    {990, 999, "coupons"},
};
// clang-format on

QString prefixMeaning(std::string_view digits)
{
    const int prefix = (digits[0] - '0') * 100 + (digits[1] - '0') * 10 + (digits[2] - '0');
    const auto* found =
        std::find_if(std::begin(Gs1Prefixes), std::end(Gs1Prefixes),
                     [prefix](const Prefixes& p) { return prefix >= p.first && prefix <= p.last; });
    if (found == std::end(Gs1Prefixes))
        return {};
    return QStringLiteral("GS1 prefix %1: %2")
        .arg(QLatin1StringView(digits.substr(0, 3)), QString::fromUtf8(found->meaning));
}

QString ofDigits(std::string_view digits)
{
    const Gtin::GtinKinds kinds = Gtin::ValidKinds(digits);
    if (kinds.testFlag(Gtin::GtinKind::UpcA))
        return QStringLiteral("Number system %1: %2")
            .arg(QChar(digits[0]), QLatin1StringView(NumberSystems[digits[0] - '0']));
    if (kinds.testFlag(Gtin::GtinKind::UpcE))
        if (const auto upcA = Gtin::ExpandUpcE(digits))
            return ofDigits(std::string_view(upcA->data(), upcA->size()));
    if (kinds.testFlag(Gtin::GtinKind::Ean13))
        return prefixMeaning(digits);
    if (kinds.testFlag(Gtin::GtinKind::Gtin14))
        return prefixMeaning(digits.substr(1));
    // GTIN-8s starting 0 or 2 are kept for restricted circulation; the
    // others take the GS1 prefixes of their first three digits.
    if (kinds.testFlag(Gtin::GtinKind::Ean8))
        return digits[0] == '0' || digits[0] == '2'
                   ? QStringLiteral("GTIN-8 prefix %1: restricted circulation")
                         .arg(QChar(digits[0]))
                   : prefixMeaning(digits);
    return {};
}

} // namespace

QString Of(QStringView code)
{
    std::string digits;
    for (const QChar c : code) {
        if (c.unicode() >= u'0' && c.unicode() <= u'9')
            digits += char(c.unicode());
        else if (c != u'-' && c != u' ')
            return {};
    }
    return ofDigits(digits);
}

} // namespace CodeMeaning
