#include "cli/Report.h"

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <utility>

namespace Checker::Report {

namespace {

void putEscape(OutputWriter& w, char16_t c)
{
    char escape[8];
    const int n = c == u'"' || c == u'\\'
                      ? std::snprintf(escape, sizeof escape, "\\%c", char(c))
                      : std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(c));
    w.put(QByteArrayView(escape, n));
}

// Whether the character at `i` is a surrogate without its pair.
template <typename View> bool loneSurrogate(View text, qsizetype i)
{
    const char16_t c = QChar(text[i]).unicode();
    if (QChar::isHighSurrogate(c))
        return !(i + 1 < text.size() && QChar(text[i + 1]).isLowSurrogate());
    if (QChar::isLowSurrogate(c))
        return !(i > 0 && QChar(text[i - 1]).isHighSurrogate());
    return false;
}

// A JSON string of the text, as it is held.
template <typename View> void putJsonText(OutputWriter& w, View text)
{
    w.put('"');
    qsizetype from = 0; // the start of the characters not written yet
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = QChar(text[i]).unicode();
        if (c != u'"' && c != u'\\' && c >= 0x20 && !loneSurrogate(text, i))
            continue;
        w.text(text.sliced(from, i - from));
        putEscape(w, c);
        from = i + 1;
    }
    w.text(text.sliced(from));
    w.put('"');
}

void putJsonString(OutputWriter& w, HeldText text)
{
    text.visit([&w](auto view) { putJsonText(w, view); });
}

} // namespace

void invalid(OutputWriter& out, HeldText code, HeldText reason)
{
    out.text(code);
    out.put('\t');
    out.line(reason);
}

void jsonStart(OutputWriter& out)
{
    out.put("{\"results\":[");
}

void jsonRecord(OutputWriter& out, bool first, HeldText code, const Finding& finding)
{
    out.put(first ? "\n{\"code\":" : ",\n{\"code\":");
    putJsonString(out, code);
    if (finding.valid()) {
        out.put(",\"valid\":true");
    } else {
        out.put(",\"valid\":false,\"fault\":\"");
        out.put(CodeReason::FaultName(finding.fault));
        out.put("\",\"reason\":");
        putJsonString(out, finding.reason);
    }
    if (!finding.kinds.empty()) {
        out.put(",\"kind\":\"");
        out.put(finding.kinds);
        out.put('"');
    }
    // Only a valid code has a GTIN-14, and only an invalid one a correction.
    if (!finding.gtin14.empty()) {
        out.put(",\"gtin14\":\"");
        out.put(finding.gtin14);
        out.put('"');
    }
    for (const auto& [name, text] : {std::pair{",\"corrected\":", finding.corrected},
                                     {",\"damage\":", finding.damage},
                                     {",\"repaired\":", finding.repaired},
                                     {",\"meaning\":", finding.meaning}}) {
        if (!text.isEmpty()) {
            out.put(name);
            putJsonString(out, text);
        }
    }
    out.put('}');
}

void jsonEnd(OutputWriter& out, quint64 codes, quint64 valid)
{
    out.put(codes == 0 ? "]" : "\n]");
    out.put(QByteArray(",\"codes\":") + QByteArray::number(codes) +
            ",\"valid\":" + QByteArray::number(valid) +
            ",\"invalid\":" + QByteArray::number(codes - valid) + "}\n");
}

} // namespace Checker::Report
