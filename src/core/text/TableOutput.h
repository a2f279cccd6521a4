#pragma once

#include "core/base/PlainBuffer.h"
#include "core/list/HeldText.h"

#include <QByteArrayView>
#include <QString>
#include <functional>
#include <vector>

class TextStream;

namespace TextTable {

enum class Layout
{
    File,
    Clipboard
};

using Widths = std::vector<qsizetype>;

// The text of a padded table (TextTable.h) as it is built, a line at a time,
// and where it goes. Without a sink, the whole text
// stays as UTF-16 (text()). With one, the text is built straight in UTF-8 (the
// system's encoding) and handed on whenever a line ends and it holds a block's
// worth, and by flush(), so that every block ends with a line's CR LF. A
// Latin-1 text goes in with one copy, widened or encoded in bulk.
using ByteSink = std::function<void(QByteArrayView block)>;

class TableOutput
{
public:
    static constexpr qsizetype BlockBytes = qsizetype(64) * 1024;

    TableOutput() = default;
    explicit TableOutput(ByteSink sink, qsizetype blockBytes = BlockBytes);

    QString& text() { return m_text; }
    // Room for `lines` lines of the given widths, when the whole text stays.
    void reserveLines(qsizetype lines, const Widths& widths);

    // Where the line being built starts, and going back there.
    qsizetype size() const { return m_utf8 ? qsizetype(m_out.size()) : m_text.size(); }
    void truncate(qsizetype size);

    // The text, blanks as many as the width exceeds its length, and a TAB.
    void appendPaddedCell(HeldText text, qsizetype width);
    // The quick way: a Latin-1 text's whole line of a table of one column, as
    // the calls above make it. False, appending nothing, where that would take
    // an allocation or hand on a block (or, into UTF-8, the text is not ASCII).
    bool appendQuietLine(const HeldText& text, qsizetype width, Layout layout);
    void endFileLine();
    // Drops the last character, then every blank at the end, and appends CR
    // LF. Throws Failure when there is no character to drop.
    void endClipboardLine();

    // Hands on the UTF-8 text held: when it is a block's worth, and at once.
    void lineEnded();
    void flush();

private:
    char* room(qsizetype bytes);
    bool appendQuietUtf8Line(const char* text, qsizetype n, qsizetype blanks);
    bool appendQuietUtf16Line(const char* text, qsizetype n, qsizetype blanks, bool file);
    void appendUtf8(HeldText text, qsizetype blanks);

    ByteSink m_sink;
    qsizetype m_block = BlockBytes;
    QString m_text;
    bool m_utf8 = false;
    PlainBuffer<char> m_out; // the UTF-8 text
};

// A sink that writes each block of UTF-8 lines to a text file as they are.
ByteSink streamSink(TextStream& stream);

} // namespace TextTable
