#include "cli/Report.h"

namespace Checker::Report {

void invalid(Output& out, QStringView code, const CodeReason::Explanation& why)
{
    out.text(code);
    out.put('\t');
    out.text(why.reason);
    out.put('\n');
}

void invalid(Output& out, QLatin1StringView code, const CodeReason::DigitsReason& why)
{
    out.put(code.data(), size_t(code.size()));
    out.put('\t');
    out.line(why.reason, why.reasonSize);
}

void jsonStart(Output& out)
{
    out.put("{\"results\":[");
}

void jsonValid(Output& out, bool first, QLatin1StringView code)
{
    out.put(first ? "\n{\"code\":" : ",\n{\"code\":");
    putJsonAscii(out, code.data(), size_t(code.size()));
    out.put(",\"valid\":true}");
}

void jsonRecord(Output& out, bool first, QLatin1StringView code,
                const CodeReason::DigitsReason& why)
{
    out.put(first ? "\n{\"code\":" : ",\n{\"code\":");
    putJsonAscii(out, code.data(), size_t(code.size()));
    out.put(",\"valid\":false,\"fault\":\"");
    out.put(CodeReason::FaultName(why.fault));
    out.put("\",\"reason\":");
    putJsonAscii(out, why.reason, why.reasonSize);
    if (why.hasCorrected) {
        out.put(",\"corrected\":");
        putJsonAscii(out, why.corrected, 12);
    }
    out.put('}');
}

void jsonRecord(Output& out, bool first, QStringView code, const CodeReason::Explanation& why)
{
    out.put(first ? "\n{\"code\":" : ",\n{\"code\":");
    putJsonString(out, code);
    if (why.valid()) {
        out.put(",\"valid\":true}");
        return;
    }
    out.put(",\"valid\":false,\"fault\":\"");
    out.put(CodeReason::FaultName(why.fault));
    out.put("\",\"reason\":");
    putJsonString(out, why.reason);
    if (!why.corrected.isEmpty()) {
        out.put(",\"corrected\":");
        putJsonString(out, why.corrected);
    }
    out.put('}');
}

void jsonEnd(Output& out, quint64 codes, quint64 valid)
{
    out.put(codes == 0 ? "]" : "\n]");
    out.put(QByteArray(",\"codes\":") + QByteArray::number(codes) +
            ",\"valid\":" + QByteArray::number(valid) +
            ",\"invalid\":" + QByteArray::number(codes - valid) + "}\n");
}

} // namespace Checker::Report
