#include "cli/Block.h"

#include "cli/Report.h"
#include "core/upc/CodeReason.h"
#include "core/upc/UpcCheck.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace Checker {

void HeldCodes::add(QStringView code)
{
    const char16_t* const text = code.utf16();
    codes.emplace_back(quint32(chars.size()) | Wide, quint32(code.size()));
    longest = std::max(longest, code.size());
    chars.insert(chars.end(), text, text + code.size());
}

void HeldCodes::add(QLatin1StringView code)
{
    codes.emplace_back(quint32(bytes.size()), quint32(code.size()));
    longest = std::max(longest, code.size());
    bytes.insert(bytes.end(), code.begin(), code.end());
}

void Block::add(QLatin1StringView code)
{
    m_items.push_back({quint32(m_bytes.size()), quint32(code.size()), false});
    m_bytes.insert(m_bytes.end(), code.begin(), code.end());
}

void Block::add(QStringView code)
{
    m_items.push_back({quint32(m_chars.size()), quint32(code.size()), true});
    const char16_t* const text = code.utf16();
    m_chars.insert(m_chars.end(), text, text + code.size());
}

// Codes one close after another (with their line ends between) are copied in
// one go.
template <typename View, typename Char>
void Block::addRun(const View* codes, size_t count, std::vector<Char>& to, bool wide)
{
    for (size_t k = 0; k < count;) {
        const Char* const base = reinterpret_cast<const Char*>(codes[k].data());
        const Char* end = base + codes[k].size();
        size_t last = k + 1;
        for (; last < count; ++last) {
            const Char* const next = reinterpret_cast<const Char*>(codes[last].data());
            if (next < end || next - end > 2)
                break;
            end = next + codes[last].size();
        }
        const size_t at = to.size();
        to.insert(to.end(), base, end);
        for (; k < last; ++k)
            m_items.push_back(
                {quint32(at + size_t(reinterpret_cast<const Char*>(codes[k].data()) - base)),
                 quint32(codes[k].size()), wide});
    }
}

void Block::addRun(const QLatin1StringView* codes, size_t count)
{
    addRun(codes, count, m_bytes, false);
}

// A code of text that is ASCII is held as its bytes, which the check and the
// outputs take as they are (the same text, the same rules).
void Block::addRun(const QStringView* codes, size_t count)
{
    for (size_t k = 0; k < count; ++k) {
        const qsizetype size = codes[k].size();
        const char16_t* const text = codes[k].utf16();
        const size_t at = m_bytes.size();
        m_bytes.resize(at + size_t(size));
        char* const to = m_bytes.data() + at;
        char16_t all = 0;
        for (qsizetype i = 0; i < size; ++i) {
            all |= text[i];
            to[i] = char(text[i]);
        }
        if (all < 0x80) {
            m_items.push_back({quint32(at), quint32(size), false});
        } else {
            m_bytes.resize(at);
            add(codes[k]);
        }
    }
}

void Block::clear()
{
    m_bytes.clear();
    m_chars.clear();
    m_items.clear();
    first = 0;
    checked = 0;
    out.clear();
    validList.clear();
    invalidList.clear();
    heldValid.clear();
    heldInvalid.clear();
    valid = 0;
    failure = nullptr;
}

void Block::check(const Rules& rules)
{
    try {
        quint64 index = first;
        for (const Item& item : m_items) {
            if (item.wide)
                file(rules, index++, QStringView(m_chars.data() + item.at, item.size));
            else
                file(rules, index++, QLatin1StringView(m_bytes.data() + item.at, item.size));
        }
    } catch (...) {
        failure = std::current_exception();
    }
}

// Only where a reason is shown is it worked out; otherwise the check alone
// files the code.
template <typename View> void Block::file(const Rules& rules, quint64 index, View code)
{
    ++checked;
    if (rules.gtin) {
        if constexpr (std::is_same_v<View, QLatin1StringView>) {
            m_text = code;
            gtin(rules, index, m_text);
        } else {
            gtin(rules, index, code);
        }
        return;
    }
    if (rules.report || rules.json) {
        reported(rules, index, code);
        return;
    }
    const bool ok = modUPCCode::CheckUPCCode(code, rules.locale) == modUPCCode::Verdict::Valid;
    valid += ok;
    if (ok)
        listValid(rules, code);
    else
        listInvalid(rules, code);
}

template void Block::file(const Rules&, quint64, QLatin1StringView);
template void Block::file(const Rules&, quint64, QStringView);

void Block::listValid(const Rules& rules, QLatin1StringView code)
{
    if (!rules.valid)
        return;
    if (rules.plain)
        validList.line(code.data(), size_t(code.size()));
    else
        heldValid.add(code);
}

void Block::listValid(const Rules& rules, QStringView code)
{
    if (!rules.valid)
        return;
    if (rules.plain) {
        validList.text(code);
        validList.put('\n');
    } else {
        heldValid.add(code);
    }
}

void Block::listInvalid(const Rules& rules, QLatin1StringView code)
{
    if (!rules.invalid)
        return;
    if (rules.plain)
        invalidList.line(code.data(), size_t(code.size()));
    else
        heldInvalid.add(code);
}

void Block::listInvalid(const Rules& rules, QStringView code)
{
    if (!rules.invalid)
        return;
    if (rules.plain) {
        invalidList.text(code);
        invalidList.put('\n');
    } else {
        heldInvalid.add(code);
    }
}

// A code of ASCII digits, hyphens and blanks gets its reason without a text
// of its own; any other goes to the full rules.
void Block::reported(const Rules& rules, quint64 index, QLatin1StringView code)
{
    const bool digitCode = std::all_of(code.begin(), code.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == '-' || c == ' ';
    });
    if (!digitCode) {
        m_text = code;
        reported(rules, index, QStringView(m_text));
        return;
    }
    const CodeReason::DigitsReason why =
        CodeReason::ReasonOfDigitCode(code.data(), size_t(code.size()));
    if (why.fault == CodeReason::Fault::None) {
        ++valid;
        listValid(rules, code);
        if (rules.json)
            Report::jsonValid(out, index == 0, code);
        return;
    }
    listInvalid(rules, code);
    if (rules.report)
        Report::invalid(out, code, why);
    if (rules.json)
        Report::jsonRecord(out, index == 0, code, why);
}

void Block::reported(const Rules& rules, quint64 index, QStringView code)
{
    const CodeReason::Explanation why = CodeReason::Explain(code);
    if (why.valid()) {
        ++valid;
        listValid(rules, code);
    } else {
        listInvalid(rules, code);
        if (rules.report)
            Report::invalid(out, code, why);
    }
    if (rules.json)
        Report::jsonRecord(out, index == 0, code, why);
}

void Block::gtin(const Rules& rules, quint64 index, QStringView code)
{
    const GtinCheck::Verdict v = GtinCheck::check(code);
    if (v.valid()) {
        ++valid;
        if (rules.form == GtinCheck::Form::AsGiven) {
            listValid(rules, code);
        } else {
            const std::string form = GtinCheck::normalised(v, rules.form);
            listValid(rules, QLatin1StringView(form.data(), qsizetype(form.size())));
        }
    } else {
        listInvalid(rules, code);
        if (rules.report) {
            out.text(code);
            out.put('\t');
            out.text(v.reason);
            out.put('\n');
        }
    }
    if (rules.json)
        GtinCheck::jsonRecord(out, index == 0, code, v);
}

} // namespace Checker
