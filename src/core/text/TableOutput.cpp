#include "core/text/TableOutput.h"

#include "core/base/AsciiText.h"
#include "core/base/Failure.h"
#include "core/files/TextStream.h"

#include <QStringEncoder>
#include <algorithm>

namespace TextTable {

Output::Output(Sink sink, qsizetype blockChars) : m_sink(std::move(sink)), m_block(blockChars)
{
    // Room for a block and the line that completes it, mostly.
    m_text.reserve(m_block + 1024);
}

Output::Output(ByteSink sink, qsizetype blockBytes)
    : m_byteSink(std::move(sink)), m_block(blockBytes), m_utf8(true)
{
    m_out.reserve(size_t(blockBytes) + 4096);
}

void Output::reserveLines(qsizetype lines, const Widths& widths)
{
    if (m_sink || m_utf8)
        return;
    // At most each cell's width and a TAB, and a line end: the text does not
    // grow by copying itself.
    qsizetype line = 2;
    for (const qsizetype w : widths)
        line += w + 1;
    m_text.reserve(m_text.size() + lines * line);
}

void Output::truncate(qsizetype size)
{
    if (m_utf8)
        m_out.setSize(size_t(size));
    else
        m_text.truncate(size);
}

char* Output::room(qsizetype bytes)
{
    const size_t needed = m_out.size() + size_t(bytes);
    if (needed > m_out.capacity())
        m_out.reserve(std::max(needed, m_out.capacity() + m_out.capacity() / 2));
    return m_out.data() + m_out.size();
}

void Output::appendUtf8(ItemText text)
{
    if (text.isLatin1()) {
        char* const out = room(2 * text.size());
        m_out.setSize(size_t(latin1ToUtf8(out, text.latin1()) - m_out.data()));
        return;
    }
    // A text with characters past Latin-1 is rare: the system's encoder, as
    // the text stream would use it.
    QStringEncoder encoder(QStringConverter::System, QStringConverter::Flag::Stateless);
    char* const out = room(encoder.requiredSpace(text.size()));
    m_out.setSize(size_t(encoder.appendToBuffer(out, text.utf16()) - m_out.data()));
}

void Output::appendCell(ItemText text, qsizetype blanks)
{
    if (!m_utf8) {
        text.appendTo(m_text);
        if (blanks > 0)
            m_text.resize(m_text.size() + blanks, QLatin1Char(' '));
        m_text.append(QLatin1Char('\t'));
        return;
    }
    appendUtf8(text);
    char* const out = room(blanks + 1);
    std::memset(out, ' ', size_t(blanks));
    out[blanks] = '\t';
    m_out.setSize(m_out.size() + size_t(blanks + 1));
}

void Output::appendUnpaddedCell(ItemText text)
{
    appendPaddedCell(text, 0);
}

void Output::appendLineEnd()
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

void Output::endClipboardLine()
{
    if (!m_utf8) {
        qsizetype end = m_text.size() - 1;
        if (end < 0 || m_text.size() + 2 > m_text.capacity()) {
            closeClipboardLine(m_text);
            return;
        }
        // In the room the whole text has: the last character and the blanks
        // before it go, CR LF comes.
        const QChar* const chars = m_text.constData();
        while (end > 0 && chars[end - 1] == QLatin1Char(' '))
            --end;
        m_text.resize(end + 2);
        QChar* const out = m_text.data() + end;
        out[0] = QLatin1Char('\r');
        out[1] = QLatin1Char('\n');
        return;
    }
    size_t used = m_out.size();
    if (used == 0)
        throw Failure(QStringLiteral("Invalid procedure call or argument"));
    // The last character, with its continuation bytes.
    const char* const bytes = m_out.data();
    do
        --used;
    while (used > 0 && (static_cast<unsigned char>(bytes[used]) & 0xC0) == 0x80);
    while (used > 0 && bytes[used - 1] == ' ')
        --used;
    m_out.setSize(used);
    endFileLine();
}

void Output::flush()
{
    if (m_utf8) {
        if (!m_out.empty())
            m_byteSink(QByteArrayView(m_out.data(), qsizetype(m_out.size())));
        m_out.setSize(0);
        return;
    }
    if (m_text.isEmpty())
        return;
    m_sink(m_text);
    m_text.truncate(0);
}

ByteSink streamSink(TextStream& stream)
{
    return [&stream](QByteArrayView block) { stream.WriteLines(block); };
}

void closeClipboardLine(QString& text)
{
    if (text.isEmpty())
        throw Failure(QStringLiteral("Invalid procedure call or argument"));
    text.chop(1);
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    text.truncate(end);
    text.append(QStringLiteral("\r\n"));
}

} // namespace TextTable
