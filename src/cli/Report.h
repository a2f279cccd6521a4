#pragma once

#include "cli/Bytes.h"
#include "cli/Output.h"
#include "core/upc/CodeReason.h"

#include <QLatin1StringView>
#include <QStringView>

// The report of invalid codes and the JSON document, record by record.
namespace Checker::Report {

// A JSON string of ASCII bytes, and of any text.
void putJsonAscii(Bytes& w, const char* bytes, size_t size);
void putJsonString(Bytes& w, QStringView text);

// The line of an invalid code: the code, a TAB, the reason.
void invalid(Bytes& out, QStringView code, const CodeReason::Explanation& why);
void invalid(Bytes& out, QLatin1StringView code, const CodeReason::DigitsReason& why);

// The JSON document: its start, one record per code (`first` for the first),
// and its end with the counts.
void jsonStart(Output& out);
void jsonValid(Bytes& out, bool first, QLatin1StringView code);
void jsonRecord(Bytes& out, bool first, QLatin1StringView code,
                const CodeReason::DigitsReason& why);
void jsonRecord(Bytes& out, bool first, QStringView code, const CodeReason::Explanation& why);
void jsonEnd(Output& out, quint64 codes, quint64 valid);

} // namespace Checker::Report
