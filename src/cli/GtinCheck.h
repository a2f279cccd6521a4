#pragma once

#include "cli/Bytes.h"
#include "core/upc/CodeReason.h"
#include "core/upc/Gtin.h"

#include <QString>
#include <QStringView>
#include <string>

// --gtin: a code is checked as any member of the GTIN family (GTIN-8, UPC-E,
// UPC-A, EAN-13, GTIN-14) after the removal of hyphens and blanks.
namespace Checker::GtinCheck {

// The form --normalize writes the valid codes in.
enum class Form
{
    AsGiven,
    Gtin14, // the GTIN-14 of every code
    UpcA,   // the UPC-A where the code is a form of one (a GTIN-14 beginning
            // 00, an EAN-13 beginning 0, a UPC-E expanded), else its GTIN-14
};

struct Verdict
{
    CodeReason::Fault fault = CodeReason::Fault::None;
    QString reason;        // one line; empty for a valid code
    Gtin::GtinKinds kinds; // valid: the kinds it is valid as; a wrong check
                           // digit: the kind its length gives
    std::string digits;    // the code without hyphens and blanks
    std::string gtin14;    // valid: its GTIN-14
    std::string corrected; // a wrong check digit: the digits with the right one
    bool valid() const { return fault == CodeReason::Fault::None; }
};

Verdict check(QStringView code);

// The kinds in lower case, separated by blanks: "gtin-8", "gtin-8 upc-e",
// "upc-a", "ean-13", "gtin-14".
std::string kindNames(Gtin::GtinKinds kinds);

// The form of a valid code that goes in the valid list.
std::string normalised(const Verdict& v, Form form);

// The JSON record of a code (`first` for the first of the document).
void jsonRecord(Bytes& out, bool first, QStringView code, const Verdict& v);

} // namespace Checker::GtinCheck
