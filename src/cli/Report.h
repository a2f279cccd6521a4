#pragma once

#include "cli/OutputWriter.h"
#include "core/list/HeldText.h"
#include "core/upc/CodeReason.h"

#include <QtGlobal>
#include <string_view>

// The report of invalid codes and the JSON document, record by record.
namespace Checker::Report {

// What is said of one code.
struct Finding
{
    CodeReason::Fault fault = CodeReason::Fault::None;
    HeldText reason;         // one line; empty for a valid code
    HeldText corrected;      // the code with its fault mended; empty: none
    std::string_view kinds;  // --gtin: the kinds' names (see Gtin::FamilyNames)
    std::string_view gtin14; // --gtin, a valid code: its GTIN-14
    HeldText damage;         // the damage it shows (see Damage.h); empty: none
    HeldText repaired;       // the valid code it most likely was; empty: none
    HeldText meaning;        // a valid code: what its digits say (see CodeMeaning.h)
    bool valid() const { return fault == CodeReason::Fault::None; }
};

// The line of an invalid code: the code, a TAB, the reason.
void invalid(OutputWriter& out, HeldText code, HeldText reason);

// The JSON document: its start, one record per code (`first` for the first),
// and its end with the counts.
void jsonStart(OutputWriter& out);
void jsonRecord(OutputWriter& out, bool first, HeldText code, const Finding& finding);
void jsonEnd(OutputWriter& out, quint64 codes, quint64 valid);

} // namespace Checker::Report
