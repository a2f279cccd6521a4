#pragma once

#include "core/upc/Gtin.h"
#include "core/upc/UpcCheck.h"

#include <QString>
#include <QStringView>
#include <string>

// Why a code is or is not a valid UPC-A code: the verdict of
// modUPCCode::CheckUPCCode with a short reason in plain English.
namespace CodeReason {

enum class Fault
{
    None,         // valid
    Empty,        // no characters, or only hyphens and blanks
    Character,    // a character other than a digit, hyphen or blank
    Length,       // digits only, but not twelve of them
    CheckDigit,   // twelve digits with a wrong check digit
    TypeMismatch, // twelve characters that read as a number but are no digit string
};

struct Explanation
{
    Fault fault = Fault::None;
    QString reason;       // one line; empty for a valid code
    QString corrected;    // the twelve digits that would be valid: for a wrong check
                          // digit, for eleven digits with the check digit added, and
                          // the UPC-A that another GTIN form of it stands for
    Gtin::GtinKinds gtin; // for a length fault, the other GTIN kinds the digits
                          // are valid as (EAN-8, UPC-E, EAN-13, GTIN-14)
    QString damage;       // the damage the code shows (see Damage.h), when it shows
                          // some; the reason then says what most likely happened
    QString repaired;     // the valid code it most likely was, if any
    bool valid() const { return fault == Fault::None; }
};

// The verdict and its reason, by the check's own rules: hyphens and blanks
// are removed, then the numeric test, the length and the check digit decide.
// The verdict always equals CheckUPCCode's: the fault is None exactly for a
// Valid code and TypeMismatch exactly for a TypeMismatch. Positions count
// characters of the code as given, from 1. Eight, thirteen and fourteen digits
// with a correct GTIN check digit are named as the GTIN they are, and
// `corrected` holds the UPC-A they are a form of, if any. Damage a code shows
// is named instead, with the code it most likely was.
Explanation Explain(QStringView code);

// The same for a code of bytes, when it holds nothing but digits, hyphens and
// blanks (else false, and Explain tells): written into `r`, whose memory
// serves the next code, as its text need not be built. The fault is None
// exactly for a valid code.
struct DigitsReason
{
    Fault fault = Fault::None;
    std::string reason;    // as Explanation's
    std::string corrected; // as Explanation's
    Gtin::GtinKinds gtin;  // as Explanation's
    std::string digits;    // the code without hyphens and blanks
    std::string damage;    // as Explanation's
    std::string repaired;  // as Explanation's
};
bool ReasonOfDigitCode(QLatin1StringView code, DigitsReason& r);

// The verdict of a code checked as any member of the GTIN family (GTIN-8,
// UPC-E, UPC-A, EAN-13, GTIN-14) after the removal of hyphens and blanks.
struct GtinExplanation
{
    Fault fault = Fault::None;
    QString reason;        // one line; empty for a valid code
    Gtin::GtinKinds kinds; // valid: the kinds it is valid as; a wrong check
                           // digit: the kind its length gives
    std::string digits;    // the code without hyphens and blanks
    std::string gtin14;    // valid: its GTIN-14
    std::string corrected; // a wrong check digit: the digits with the right one
    bool valid() const { return fault == Fault::None; }
};
// A code of a character other than a digit, hyphen or blank, or of none, is
// explained as Explain does; digits not eight, twelve, thirteen or fourteen
// are a Length fault; a wrong check digit names the kind the length gives.
GtinExplanation ExplainGtin(QStringView code);

// A short name of the fault, for machine-readable output.
const char* FaultName(Fault fault);

} // namespace CodeReason
