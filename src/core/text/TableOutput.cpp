#include "core/text/TableOutput.h"

#include "core/base/AsciiText.h"
#include "core/base/Failure.h"
#include "core/files/TextStream.h"

#include <QStringEncoder>
#include <algorithm>
#include <cstring>

namespace TextTable {

TableOutput::TableOutput(ByteSink sink, qsizetype blockBytes)
    : m_sink(std::move(sink)), m_block(blockBytes), m_utf8(true)
{
    m_out.reserve(size_t(blockBytes) + 4096);
}

void TableOutput::reserveLines(qsizetype lines, const Widths& widths)
{
    if (m_utf8)
        return;
    // At most each cell's width, a TAB and a line end: no copy as it grows.
    qsizetype line = 2;
    for (const qsizetype w : widths)
        line += w + 1;
    m_text.reserve(m_text.size() + lines * line);
}

void TableOutput::truncate(qsizetype size)
{
    if (m_utf8)
        m_out.setSize(size_t(size));
    else
        m_text.truncate(size);
}

char* TableOutput::room(qsizetype bytes)
{
    const size_t needed = m_out.size() + size_t(bytes);
    if (needed > m_out.capacity())
        m_out.reserve(std::max(needed, m_out.capacity() + m_out.capacity() / 2));
    return m_out.data() + m_out.size();
}

void TableOutput::appendPaddedCell(HeldText text, qsizetype width)
{
    const qsizetype blanks = std::max(width - text.size(), qsizetype(0));
    if (m_utf8) {
        appendUtf8(text, blanks);
        return;
    }
    text.appendTo(m_text);
    if (blanks > 0)
        m_text.resize(m_text.size() + blanks, QLatin1Char(' '));
    m_text.append(QLatin1Char('\t'));
}

void TableOutput::appendUtf8(HeldText text, qsizetype blanks)
{
    char* end = nullptr;
    if (text.isLatin1()) {
        end = latin1ToUtf8(room(2 * text.size() + blanks + 1), text.latin1());
    } else {
        // Past Latin-1 (rare): the system's encoder, as the text stream uses it.
        QStringEncoder encoder(QStringConverter::System, QStringConverter::Flag::Stateless);
        end = encoder.appendToBuffer(room(encoder.requiredSpace(text.size()) + blanks + 1),
                                     text.utf16());
    }
    std::memset(end, ' ', size_t(blanks));
    end[blanks] = '\t';
    m_out.setSize(size_t(end + blanks + 1 - m_out.data()));
}

bool TableOutput::appendQuietLine(const HeldText& text, qsizetype width, Layout layout)
{
    if (!text.isLatin1())
        return false;
    const char* const in = text.latin1().data();
    qsizetype n = text.size();
    if (layout == Layout::Clipboard) {
        // The blanks at the end go with the cell's TAB.
        while (n > 0 && in[n - 1] == ' ')
            --n;
        return appendQuietUtf16Line(in, n, 0, false);
    }
    const qsizetype blanks = std::max(width - n, qsizetype(0));
    return m_utf8 ? appendQuietUtf8Line(in, n, blanks) : appendQuietUtf16Line(in, n, blanks, true);
}

bool TableOutput::appendQuietUtf8Line(const char* in, qsizetype n, qsizetype blanks)
{
    const qsizetype line = n + blanks + 3;
    const size_t used = m_out.size();
    if (used + size_t(line) > m_out.capacity() || qsizetype(used) + line >= m_block)
        return false;
    char* const out = m_out.data() + used;
    // A code's line, mostly: the text in two words that may overlap, the
    // blanks in one store of fixed size, with room to spare.
    constexpr qsizetype Blanks = 32;
    if (n >= 8 && n <= 16 && blanks <= Blanks &&
        used + size_t(n + Blanks + 3) <= m_out.capacity()) {
        quint64 head, tail;
        std::memcpy(&head, in, 8);
        std::memcpy(&tail, in + n - 8, 8);
        if (((head | tail) & 0x8080808080808080u) != 0)
            return false;
        std::memset(out + n, ' ', Blanks);
        std::memcpy(out, &head, 8);
        std::memcpy(out + n - 8, &tail, 8);
    } else {
        if (!isAscii(in, n))
            return false;
        if (n > 0)
            std::memcpy(out, in, size_t(n));
        std::memset(out + n, ' ', size_t(blanks));
    }
    char* const end = out + n + blanks;
    end[0] = '\t';
    end[1] = '\r';
    end[2] = '\n';
    m_out.setSize(used + size_t(line));
    return true;
}

bool TableOutput::appendQuietUtf16Line(const char* in, qsizetype n, qsizetype blanks, bool file)
{
    const qsizetype line = n + blanks + (file ? 3 : 2);
    const qsizetype used = m_text.size();
    if (m_utf8 || used + line > m_text.capacity() || !m_text.isDetached())
        return false;
    m_text.resize(used + line);
    auto* const out = reinterpret_cast<char16_t*>(m_text.data()) + used;
    for (qsizetype k = 0; k < n; ++k)
        out[k] = static_cast<unsigned char>(in[k]);
    for (qsizetype k = n; k < n + blanks; ++k)
        out[k] = u' ';
    char16_t* end = out + n + blanks;
    if (file)
        *end++ = u'\t';
    end[0] = u'\r';
    end[1] = u'\n';
    return true;
}

void TableOutput::endFileLine()
{
    if (!m_utf8) {
        m_text.append(QLatin1String("\r\n"));
        return;
    }
    char* const out = room(2);
    out[0] = '\r';
    out[1] = '\n';
    m_out.setSize(m_out.size() + 2);
}

void TableOutput::endClipboardLine()
{
    if (size() == 0)
        throw Failure(QLatin1String(FailureText::InvalidProcedureCall));
    if (m_utf8) {
        // The last character, with its continuation bytes.
        const char* const bytes = m_out.data();
        size_t used = m_out.size();
        do
            --used;
        while (used > 0 && (static_cast<unsigned char>(bytes[used]) & 0xC0) == 0x80);
        while (used > 0 && bytes[used - 1] == ' ')
            --used;
        m_out.setSize(used);
    } else {
        m_text.chop(1);
        qsizetype end = m_text.size();
        while (end > 0 && m_text.at(end - 1) == u' ')
            --end;
        m_text.truncate(end);
    }
    endFileLine();
}

void TableOutput::lineEnded()
{
    if (m_utf8 && qsizetype(m_out.size()) >= m_block)
        flush();
}

void TableOutput::flush()
{
    if (!m_out.empty())
        m_sink(QByteArrayView(m_out.data(), qsizetype(m_out.size())));
    m_out.setSize(0);
}

ByteSink streamSink(TextStream& stream)
{
    return [&stream](QByteArrayView block) { stream.WriteLines(block); };
}

} // namespace TextTable
