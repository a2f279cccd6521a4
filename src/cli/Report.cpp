#include "cli/Report.h"

#include <cstdio>

namespace Checker::Report {

void putJsonAscii(Bytes& w, const char* bytes, size_t size)
{
    w.put('"');
    size_t from = 0;
    for (size_t i = 0; i < size; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        w.put(bytes + from, i - from);
        char escape[8];
        if (c == '"' || c == '\\')
            std::snprintf(escape, sizeof escape, "\\%c", c);
        else
            std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(c));
        w.put(escape);
        from = i + 1;
    }
    w.put(bytes + from, size - from);
    w.put('"');
}

namespace {

bool plainJson(QStringView text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c == u'"' || c == u'\\' || c.isSurrogate())
            return false;
    }
    return true;
}

// Whether the character at `i` is a surrogate without its pair.
bool loneSurrogate(QStringView text, qsizetype i)
{
    const char16_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c))
        return !(i + 1 < text.size() && text[i + 1].isLowSurrogate());
    if (QChar::isLowSurrogate(c))
        return !(i > 0 && text[i - 1].isHighSurrogate());
    return false;
}

} // namespace

void putJsonString(Bytes& w, QStringView text)
{
    w.put('"');
    if (plainJson(text)) {
        w.text(text);
        w.put('"');
        return;
    }
    qsizetype from = 0; // the start of the characters not written yet
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const bool quoted = c == u'"' || c == u'\\';
        if (!quoted && c >= 0x20 && !loneSurrogate(text, i))
            continue;
        w.text(text.sliced(from, i - from));
        char escape[8];
        if (quoted)
            std::snprintf(escape, sizeof escape, "\\%c", char(c));
        else
            std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(c));
        w.put(escape);
        from = i + 1;
    }
    w.text(text.sliced(from));
    w.put('"');
}

void invalid(Bytes& out, QStringView code, const CodeReason::Explanation& why)
{
    out.text(code);
    out.put('\t');
    out.text(why.reason);
    out.put('\n');
}

void invalid(Bytes& out, QLatin1StringView code, const CodeReason::DigitsReason& why)
{
    out.put(code.data(), size_t(code.size()));
    out.put('\t');
    out.line(why.reason, why.reasonSize);
}

void jsonStart(Output& out)
{
    out.put("{\"results\":[");
}

void jsonValid(Bytes& out, bool first, QLatin1StringView code)
{
    out.put(first ? "\n{\"code\":" : ",\n{\"code\":");
    putJsonAscii(out, code.data(), size_t(code.size()));
    out.put(",\"valid\":true}");
}

void jsonRecord(Bytes& out, bool first, QLatin1StringView code, const CodeReason::DigitsReason& why)
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

void jsonRecord(Bytes& out, bool first, QStringView code, const CodeReason::Explanation& why)
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
