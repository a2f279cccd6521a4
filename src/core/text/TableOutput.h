#pragma once

#include "core/base/AsciiText.h"
#include "core/base/PlainBuffer.h"
#include "core/list/ItemText.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstring>
#include <functional>
#include <vector>

class TextStream;

// The text of a padded table (TextTable.h) as it is built, a line at a time,
// and where it goes.
namespace TextTable {

enum class Layout
{
    File,
    Clipboard
};

using Widths = std::vector<qsizetype>;

// Where a table's text goes, a line at a time. With a sink, the text is
// handed on whenever a line ends and it holds a block's worth, and by flush(),
// so that every block ends with a line's CR LF; without one, the whole text
// stays (text()).
//
// The text is built as UTF-16, or, for a file, straight in UTF-8 (the system's
// encoding): a Latin-1 text goes in with one copy, widened or encoded in bulk.
using Sink = std::function<void(QStringView block)>;
using ByteSink = std::function<void(QByteArrayView block)>;

class Output
{
public:
    static constexpr qsizetype BlockChars = qsizetype(64) * 1024;
    static constexpr qsizetype BlockBytes = qsizetype(64) * 1024;

    Output() = default;
    explicit Output(Sink sink, qsizetype blockChars = BlockChars);
    explicit Output(ByteSink sink, qsizetype blockBytes = BlockBytes);

    // The whole text held (UTF-16, without a sink).
    QString& text() { return m_text; }
    // Room for `lines` lines of the given widths, when the whole text stays.
    void reserveLines(qsizetype lines, const Widths& widths);

    // Where the line being built starts, and going back there.
    qsizetype size() const { return m_utf8 ? qsizetype(m_out.size()) : m_text.size(); }
    void truncate(qsizetype size);

    // The text, blanks as many as the width exceeds its length, and a TAB.
    void appendPaddedCell(ItemText text, qsizetype width)
    {
        // The common cell, inline: ASCII into UTF-8, with room at hand.
        const qsizetype n = text.size();
        const qsizetype blanks = width > n ? width - n : 0;
        if (m_utf8 && text.isLatin1() && isAscii(text.latin1().data(), n) &&
            m_out.size() + size_t(n + blanks + 1) <= m_out.capacity()) {
            char* const out = m_out.data() + m_out.size();
            if (n > 0) // an empty text may have no bytes at all
                std::memcpy(out, text.latin1().data(), size_t(n));
            std::memset(out + n, ' ', size_t(blanks));
            out[n + blanks] = '\t';
            m_out.setSize(m_out.size() + size_t(n + blanks + 1));
            return;
        }
        if (!m_utf8 && text.isLatin1() && m_text.size() + n + blanks + 1 <= m_text.capacity()) {
            // Widened straight into the room the whole text has.
            const qsizetype at = m_text.size();
            m_text.resize(at + n + blanks + 1);
            auto* const out = reinterpret_cast<char16_t*>(m_text.data()) + at;
            const auto* const in = reinterpret_cast<const unsigned char*>(text.latin1().data());
            for (qsizetype k = 0; k < n; ++k)
                out[k] = in[k];
            for (qsizetype k = n; k < n + blanks; ++k)
                out[k] = u' ';
            out[n + blanks] = u'\t';
            return;
        }
        appendCell(text, blanks);
    }
    // The text and a TAB.
    void appendUnpaddedCell(ItemText text);

    // The whole line of a table of one column, as the cell, its line end and
    // lineEnded() make it: for a file the text, blanks up to `width`, a TAB
    // and CR LF; for the clipboard the text without the blanks at its end and
    // CR LF. Only where that takes no allocation and hands on no block, and
    // for a text taken the quick way (ASCII into UTF-8, Latin-1 into UTF-16);
    // else false, with nothing appended.
    bool appendQuietLine(ItemText text, qsizetype width, Layout layout)
    {
        if (!text.isLatin1())
            return false;
        const char* const in = text.latin1().data();
        qsizetype n = text.size();
        const bool file = layout == Layout::File;
        if (!file)
            while (n > 0 && in[n - 1] == ' ')
                --n;
        const qsizetype blanks = file && width > n ? width - n : 0;
        const qsizetype line = n + blanks + (file ? 3 : 2);
        if (m_utf8) {
            const size_t used = m_out.size();
            if (!file || used + size_t(line) > m_out.capacity() ||
                (m_byteSink && qsizetype(used) + line >= m_block))
                return false;
            char* const out = m_out.data() + used;
            // A code's line, mostly: the text in two words that may overlap,
            // the blanks in one store of fixed size, with room to spare.
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
        const qsizetype used = m_text.size();
        if (used + line > m_text.capacity() || !m_text.isDetached() ||
            (m_sink && used + line >= m_block))
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
    // CR LF.
    void endFileLine()
    {
        if (m_utf8 && m_out.size() + 2 <= m_out.capacity()) {
            char* const out = m_out.data() + m_out.size();
            out[0] = '\r';
            out[1] = '\n';
            m_out.setSize(m_out.size() + 2);
            return;
        }
        appendLineEnd();
    }
    // Ends a clipboard line (UTF-16 only): drops the last character of the
    // line, then every blank at its end, and appends CR LF. Throws Failure
    // when there is no character to drop.
    void endClipboardLine();

    void lineEnded()
    {
        if (size() >= m_block && (m_sink || m_byteSink))
            flush();
    }
    // Hands on what is held.
    void flush();

private:
    char* room(qsizetype bytes);
    void appendCell(ItemText text, qsizetype blanks);
    void appendLineEnd();
    void appendUtf8(ItemText text);

    Sink m_sink;
    ByteSink m_byteSink;
    qsizetype m_block = BlockChars;
    QString m_text;
    bool m_utf8 = false;
    PlainBuffer<char> m_out; // the UTF-8 text
};

// A sink that writes each block of UTF-8 lines to a text file as they are.
ByteSink streamSink(TextStream& stream);

// The pieces of a line -----------------------------------------------------

// Whether a text fits its column's width, and so gets blanks after it.
inline bool fits(qsizetype width, ItemText text)
{
    return width >= text.size();
}

// Ends a clipboard line of a text: drops the last character of the text, then
// every blank at its end, and appends CR LF. Throws Failure when there is no
// character to drop.
void closeClipboardLine(QString& text);

} // namespace TextTable
