#pragma once

#include <QFlags>
#include <array>
#include <optional>
#include <string>
#include <string_view>

// The GTIN family a UPC-A code belongs to. Every member ends in a check digit
// by the one weighted sum of modUPCCode::WeightedSum; UPC-A is GTIN-12, and a
// UPC-E is a UPC-A with zeros left out. Codes are strings of ASCII digits.
namespace Gtin {

enum class GtinKind : unsigned
{
    Ean8 = 1,    // GTIN-8: eight digits
    UpcE = 2,    // eight digits: number system 0 or 1, six digits and the
                 // check digit of the UPC-A they expand to
    UpcA = 4,    // GTIN-12: twelve digits
    Ean13 = 8,   // GTIN-13: thirteen digits
    Gtin14 = 16, // fourteen digits, the first of them the indicator
};
Q_DECLARE_FLAGS(GtinKinds, GtinKind)

// The name of a kind: "EAN-8", "UPC-E", "UPC-A", "EAN-13" or "GTIN-14".
const char* KindName(GtinKind kind);
// Its name among the GTIN family: "GTIN-8" for an EAN-8, else its own name.
const char* FamilyName(GtinKind kind);
// The kind digits of their length are read as: EAN-8 for eight, UPC-A for
// twelve, EAN-13 for thirteen, else GTIN-14.
GtinKind KindOfLength(std::size_t length);
// The family names of the kinds in lower case, separated by blanks, in the
// order EAN-8, UPC-E, UPC-A, EAN-13, GTIN-14: "gtin-8", "gtin-8 upc-e", ...
std::string FamilyNames(GtinKinds kinds);

// The form the valid codes are written in.
enum class Form
{
    AsGiven,
    Gtin14, // the GTIN-14 of every code
    UpcA,   // the UPC-A where the code is a form of one (a GTIN-14 beginning
            // 00, an EAN-13 beginning 0, a UPC-E expanded), else its GTIN-14
};
// The digits of a code valid as `kinds` in `form` (AsGiven: the digits). An
// eight-digit code valid both ways is read as its first kind, EAN-8, except
// that as UpcA the UPC-E's expansion is taken.
std::string FormOf(std::string_view digits, GtinKinds kinds, Form form);

// The kinds the digits are valid as: none when they are no string of eight,
// twelve, thirteen or fourteen digits '0' to '9' with a correct check digit.
// Eight digits may be valid as both EAN-8 and UPC-E.
GtinKinds ValidKinds(std::string_view digits);

// The UPC-A a UPC-E of eight digits expands to, by the last of its six middle
// digits X1..X6 (number system S, check digit C):
//   X6 0 to 2: S X1 X2 X6 0 0 0 0 X3 X4 X5 C
//   X6 3:      S X1 X2 X3 0 0 0 0 0 X4 X5 C
//   X6 4:      S X1 X2 X3 X4 0 0 0 0 0 X5 C
//   X6 5 to 9: S X1 X2 X3 X4 X5 0 0 0 0 X6 C
// The UPC-E is valid exactly when that UPC-A is. None when the code is not
// eight digits or its number system is not 0 or 1.
std::optional<std::array<char, 12>> ExpandUpcE(std::string_view upcE);

// The GTIN-14 form of a code valid as `kind`: its digits with zeros in front,
// for a UPC-E those of the UPC-A it expands to. None when the code is not
// valid as `kind`.
std::optional<std::array<char, 14>> Gtin14Of(std::string_view digits, GtinKind kind);

// The UPC-A a code valid as `kind` is a form of: the code itself, a UPC-E's
// expansion, the last twelve digits of an EAN-13 that starts with 0 or of a
// GTIN-14 that starts with 00. None for an EAN-8 and every other code.
std::optional<std::array<char, 12>> UpcAOf(std::string_view digits, GtinKind kind);

} // namespace Gtin

Q_DECLARE_OPERATORS_FOR_FLAGS(Gtin::GtinKinds)
