#pragma once

#include "cli/Output.h"
#include "core/upc/CodeReason.h"

#include <QLatin1StringView>
#include <QStringView>

// The report of invalid codes and the JSON document, record by record.
namespace Checker::Report {

// The line of an invalid code: the code, a TAB, the reason.
void invalid(Output& out, QStringView code, const CodeReason::Explanation& why);
void invalid(Output& out, QLatin1StringView code, const CodeReason::DigitsReason& why);

// The JSON document: its start, one record per code (`first` for the first),
// and its end with the counts.
void jsonStart(Output& out);
void jsonValid(Output& out, bool first, QLatin1StringView code);
void jsonRecord(Output& out, bool first, QLatin1StringView code,
                const CodeReason::DigitsReason& why);
void jsonRecord(Output& out, bool first, QStringView code, const CodeReason::Explanation& why);
void jsonEnd(Output& out, quint64 codes, quint64 valid);

} // namespace Checker::Report
