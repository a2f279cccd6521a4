#include "core/upc/Gtin.h"

#include "core/upc/UpcCheck.h"

#include <algorithm>
#include <cctype>

namespace Gtin {

namespace {

bool allDigits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Whether digits '0' to '9' end in their check digit.
bool checkDigitRight(std::string_view digits)
{
    const int length = int(digits.size());
    return modUPCCode::WeightedSum(digits.data(), length, length) % 10 == 0;
}

// The ten digits between the number system and the check digit of a UPC-E's
// UPC-A, by the last of its six middle digits: '1' to '6' stand for the middle
// digit of that number, '0' for a zero.
constexpr std::string_view Expansions[10] = {
    "1260000345", "1260000345", "1260000345", "1230000045", "1234000005",
    "1234500006", "1234500006", "1234500006", "1234500006", "1234500006",
};

// The kinds, in the order they are named in, with their names.
struct Naming
{
    GtinKind kind;
    const char* name;
    const char* familyName;
};
constexpr Naming Names[] = {
    {GtinKind::Ean8, "EAN-8", "GTIN-8"},      {GtinKind::UpcE, "UPC-E", "UPC-E"},
    {GtinKind::UpcA, "UPC-A", "UPC-A"},       {GtinKind::Ean13, "EAN-13", "EAN-13"},
    {GtinKind::Gtin14, "GTIN-14", "GTIN-14"},
};

const Naming& namingOf(GtinKind kind)
{
    return *std::find_if(std::begin(Names), std::end(Names),
                         [kind](const Naming& n) { return n.kind == kind; });
}

} // namespace

const char* KindName(GtinKind kind)
{
    return namingOf(kind).name;
}

const char* FamilyName(GtinKind kind)
{
    return namingOf(kind).familyName;
}

GtinKind KindOfLength(std::size_t length)
{
    return length == 8    ? GtinKind::Ean8
           : length == 12 ? GtinKind::UpcA
           : length == 13 ? GtinKind::Ean13
                          : GtinKind::Gtin14;
}

std::string FamilyNames(GtinKinds kinds)
{
    std::string names;
    for (const Naming& n : Names) {
        if (!kinds.testFlag(n.kind))
            continue;
        if (!names.empty())
            names += ' ';
        for (const char* c = n.familyName; *c != '\0'; ++c)
            names += char(std::tolower(static_cast<unsigned char>(*c)));
    }
    return names;
}

std::string FormOf(std::string_view digits, GtinKinds kinds, Form form)
{
    if (form == Form::AsGiven)
        return std::string(digits);
    for (const Naming& n : Names) {
        if (form != Form::UpcA || !kinds.testFlag(n.kind))
            continue;
        if (const auto upcA = UpcAOf(digits, n.kind))
            return {upcA->data(), upcA->size()};
    }
    for (const Naming& n : Names) {
        if (kinds.testFlag(n.kind)) {
            const auto gtin14 = Gtin14Of(digits, n.kind);
            return {gtin14->data(), gtin14->size()};
        }
    }
    return {};
}

std::optional<std::array<char, 12>> ExpandUpcE(std::string_view upcE)
{
    if (upcE.size() != 8 || !allDigits(upcE) || (upcE[0] != '0' && upcE[0] != '1'))
        return std::nullopt;
    std::array<char, 12> upcA{};
    upcA[0] = upcE[0];
    const std::string_view pattern = Expansions[upcE[6] - '0'];
    for (std::size_t i = 0; i < pattern.size(); ++i)
        upcA[i + 1] = pattern[i] == '0' ? '0' : upcE[std::size_t(pattern[i] - '0')];
    upcA[11] = upcE[7];
    return upcA;
}

GtinKinds ValidKinds(std::string_view digits)
{
    GtinKinds kinds;
    const std::size_t n = digits.size();
    if ((n != 8 && n < 12) || n > 14 || !allDigits(digits))
        return kinds;
    if (checkDigitRight(digits))
        kinds |= KindOfLength(n);
    if (const auto upcA = ExpandUpcE(digits); upcA && checkDigitRight({upcA->data(), 12}))
        kinds |= GtinKind::UpcE;
    return kinds;
}

std::optional<std::array<char, 14>> Gtin14Of(std::string_view digits, GtinKind kind)
{
    if (!ValidKinds(digits).testFlag(kind))
        return std::nullopt;
    std::optional<std::array<char, 12>> expanded;
    if (kind == GtinKind::UpcE) {
        expanded = ExpandUpcE(digits);
        digits = {expanded->data(), expanded->size()};
    }
    std::array<char, 14> gtin14{};
    gtin14.fill('0');
    std::copy(digits.rbegin(), digits.rend(), gtin14.rbegin());
    return gtin14;
}

std::optional<std::array<char, 12>> UpcAOf(std::string_view digits, GtinKind kind)
{
    if (kind == GtinKind::Ean8)
        return std::nullopt;
    const std::optional<std::array<char, 14>> gtin14 = Gtin14Of(digits, kind);
    if (!gtin14 || (*gtin14)[0] != '0' || (*gtin14)[1] != '0')
        return std::nullopt;
    std::array<char, 12> upcA{};
    std::copy(gtin14->begin() + 2, gtin14->end(), upcA.begin());
    return upcA;
}

} // namespace Gtin
