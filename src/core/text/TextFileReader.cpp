#include "core/text/TextFileReader.h"

#include "core/base/AsciiText.h"
#include "core/base/Failure.h"
#include "core/files/FileHandle.h"

#include <QFile>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace TextFileReader {

namespace {

// A decoder that can also tell whether the input ended inside a character.
// It keeps a byte-order mark it meets: the reader drops the one at the start
// of a file itself.
class Decoder : public QStringDecoder
{
public:
    explicit Decoder(Encoding encoding) : QStringDecoder(encoding, Flag::ConvertInitialBom) {}
    bool insideCharacter() const { return state.remainingChars != 0; }
};

// Windows-1252 at 0x80 to 0x9F; the bytes it leaves undefined keep their
// number.
constexpr char16_t Windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QChar* windows1252(const char* bytes, qsizetype length, QChar* out)
{
    for (qsizetype i = 0; i < length; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = QChar((b & 0xE0) == 0x80 ? Windows1252High[b - 0x80] : char16_t(b));
    }
    return out + length;
}

// The bytes at the end that begin a UTF-8 character they do not complete.
qsizetype openCharacter(const char* bytes, qsizetype length)
{
    for (qsizetype k = 1; k <= 3 && k <= length; ++k) {
        const auto b = static_cast<unsigned char>(bytes[length - k]);
        if (b < 0x80)
            return 0;
        if (b >= 0xC0) {
            const qsizetype needs = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
            return needs > k ? k : 0;
        }
    }
    return 0;
}

BatchSink oneAtATime(const ItemSink& item)
{
    return [item](const std::vector<QStringView>& items) {
        for (const QStringView text : items)
            item(text.toString());
    };
}

} // namespace

QString lineTooLong(quint64 line, qsizetype bound)
{
    return QStringLiteral("line %1 is longer than %2 characters").arg(line).arg(bound);
}

QString fromWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    windows1252(bytes.data(), bytes.size(), text.data());
    return text;
}

namespace {

// One reading of a source, from its byte-order mark to its end.
class Reader
{
public:
    Reader(const ByteSource& source, const AsciiBatchSink& ascii, const BatchSink& text,
           const Reading& reading);
    // Answers whether the text ended in a LF alone.
    bool run();

private:
    enum class Mode
    {
        Ascii,
        Utf8,
        Windows1252,
        Utf16,
        Streaming
    };

    void fill();
    void drop(qsizetype used);
    void feedText(const QChar* stop) { m_text.feed(QStringView(m_chars.data(), stop)); }
    void decode(QStringDecoder& decoder, qsizetype used);
    bool restIsUtf8();
    void readMark();
    void step();
    void readAscii();
    void readUtf8();
    void settle();
    void rawLines(const std::vector<QLatin1StringView>& lines);
    void handAscii(const std::vector<QLatin1StringView>& items);
    void handDecoded(QLatin1StringView line, quint64 number);

    const ByteSource& m_source;
    const AsciiBatchSink& m_ascii;
    const BatchSink& m_textSink;
    qsizetype m_chunk;
    qsizetype m_longest;
    const std::function<void()>& m_betweenPieces;
    bool m_pieceFilled = false; // the last read filled its piece
    Mode m_mode = Mode::Ascii;
    bool m_bytesActive;     // the bytes' splitter holds the state, else the text's
    bool m_windows = false; // streaming: a line was no valid UTF-8
    Decoder m_utf8{QStringConverter::Utf8};
    // A line keeps a mark it starts with, as a character within the text.
    QStringDecoder m_lineUtf8{QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom |
                                                          QStringConverter::Flag::Stateless};
    std::unique_ptr<Decoder> m_utf16;
    LineSplitter m_text;
    BasicLineSplitter<QLatin1StringView> m_bytes;

    // The bytes at hand start at `m_offset` in the source; a read appends.
    // Room for the bytes at hand and for their text, left uninitialised:
    // each is written before it is read.
    QByteArray m_raw;
    QString m_chars;
    qsizetype m_length = 0;
    qint64 m_offset = 0;
    bool m_end = false;

    // Streaming: the ASCII lines of a batch not handed on yet, and the text of
    // the others.
    std::vector<QLatin1StringView> m_asciiRun;
    QString m_line;
    QString m_scratch;
    std::vector<QStringView> m_views;
};

Reader::Reader(const ByteSource& source, const AsciiBatchSink& ascii, const BatchSink& text,
               const Reading& reading)
    : m_source(source), m_ascii(ascii), m_textSink(text), m_chunk(reading.chunkBytes),
      m_longest(reading.longestLine), m_betweenPieces(reading.betweenPieces),
      m_bytesActive(bool(ascii)), m_text(text),
      m_bytes([this](const std::vector<QLatin1StringView>& lines) { rawLines(lines); }),
      m_raw(2 * m_chunk + 4, Qt::Uninitialized),
      m_chars(std::max(m_utf8.requiredSpace(m_raw.size()), m_raw.size()), Qt::Uninitialized)
{
    m_text.setLongest(m_longest, m_longest);
    m_bytes.setLongest(m_longest, m_longest);
}

void Reader::fill()
{
    if (m_pieceFilled && m_betweenPieces)
        m_betweenPieces();
    const qsizetype n = m_source.read(m_raw.data() + m_length, m_chunk);
    m_pieceFilled = n == m_chunk;
    if (n <= 0)
        m_end = true;
    else
        m_length += n;
}

// Lets go of the first `used` bytes at hand.
void Reader::drop(qsizetype used)
{
    std::memmove(m_raw.data(), m_raw.data() + used, size_t(m_length - used));
    m_length -= used;
    m_offset += used;
}

void Reader::decode(QStringDecoder& decoder, qsizetype used)
{
    feedText(decoder.appendToBuffer(m_chars.data(), QByteArrayView(m_raw.data(), used)));
    drop(used);
}

// Whether the bytes from those at hand to the end of the source are UTF-8.
bool Reader::restIsUtf8()
{
    while (true) {
        const qsizetype open = m_end ? 0 : openCharacter(m_raw.data(), m_length);
        if (!QByteArrayView(m_raw.data(), m_length - open).isValidUtf8())
            return false;
        if (m_end)
            return true;
        drop(m_length - open);
        fill();
    }
}

void Reader::readMark()
{
    while (m_length < 3 && !m_end)
        fill();
    const QByteArrayView start(m_raw.data(), m_length);
    if (start.startsWith("\xEF\xBB\xBF")) {
        m_mode = Mode::Utf8;
        drop(3);
    } else if (start.startsWith("\xFF\xFE") || start.startsWith("\xFE\xFF")) {
        m_mode = Mode::Utf16;
        m_utf16 = std::make_unique<Decoder>(start.startsWith("\xFF") ? QStringConverter::Utf16LE
                                                                     : QStringConverter::Utf16BE);
        drop(2);
    } else {
        return;
    }
    if (m_bytesActive) {
        m_text.continueFrom(m_bytes);
        m_bytesActive = false;
    }
}

bool Reader::run()
{
    readMark();
    while (true) {
        step();
        if (m_end)
            break;
        fill();
    }
    if (m_utf8.insideCharacter() || (m_utf16 && m_utf16->insideCharacter()))
        m_text.feed(QStringView(u"\uFFFD"));
    const bool endsWithLF = m_bytesActive ? m_bytes.endsWithLF() : m_text.endsWithLF();
    if (m_bytesActive)
        m_bytes.finish();
    else
        m_text.finish();
    return endsWithLF;
}

void Reader::step()
{
    switch (m_mode) {
    case Mode::Ascii:
        readAscii();
        break;
    case Mode::Utf8:
        readUtf8();
        break;
    case Mode::Windows1252:
        feedText(windows1252(m_raw.data(), m_length, m_chars.data()));
        drop(m_length);
        break;
    case Mode::Utf16:
        decode(*m_utf16, m_length);
        break;
    case Mode::Streaming:
        // CR and LF are never part of another character in UTF-8 or
        // Windows-1252: the raw lines are cut first, and each one decoded.
        m_bytes.feed(QLatin1StringView(m_raw.data(), m_length));
        drop(m_length);
        break;
    }
}

// ASCII reads alike in every encoding here: it is handed on at once. At the
// first other byte the encoding is settled.
void Reader::readAscii()
{
    const qsizetype ascii = asciiPrefix(m_raw.data(), m_length);
    if (m_bytesActive) {
        m_bytes.feed(QLatin1StringView(m_raw.data(), ascii));
        drop(ascii);
    } else {
        decode(m_utf8, ascii);
    }
    if (m_length > 0)
        settle();
}

// A source read again decides on the whole of its rest and goes back there;
// one read once goes on line by line.
void Reader::settle()
{
    if (!m_source.seek) {
        if (!m_bytesActive)
            m_bytes.continueFrom(m_text);
        m_bytesActive = true;
        // A raw line of this many bytes is longer than the bound in any
        // decoding (UTF-8 takes at most three bytes for one character).
        m_bytes.setLongest(m_longest * 3, m_longest);
        m_mode = Mode::Streaming;
        step();
        return;
    }
    const qint64 from = m_offset;
    const bool utf8 = restIsUtf8();
    m_source.seek(from);
    m_offset = from;
    m_length = 0;
    m_end = false;
    // Valid UTF-8 whose ASCII lines are wanted as bytes is cut into lines as
    // bytes, as a stream is: only the lines that are not ASCII are decoded.
    if (utf8 && m_ascii) {
        m_bytes.setLongest(m_longest * 3, m_longest);
        m_mode = Mode::Streaming;
        return;
    }
    if (m_bytesActive)
        m_text.continueFrom(m_bytes);
    m_bytesActive = false;
    m_mode = utf8 ? Mode::Utf8 : Mode::Windows1252;
}

// Each read is decoded up to its last ASCII byte, where the decoder stands
// between two characters; the bytes after it wait for the next read. Handed a
// malformed character in two calls, the decoder may drop the valid bytes after
// it, so that the items would depend on where a read ended.
void Reader::readUtf8()
{
    qsizetype cut = m_length;
    if (!m_end) {
        while (cut > 0 && static_cast<unsigned char>(m_raw[cut - 1]) >= 0x80)
            --cut;
        if (m_length - cut >= m_chunk)
            cut = m_length; // a whole piece without ASCII: no better place to cut
    }
    decode(m_utf8, cut);
}

// The raw lines of the bytes' splitter: while the source is ASCII, its items;
// when streaming, each ASCII line as it is and any other one decoded.
void Reader::rawLines(const std::vector<QLatin1StringView>& lines)
{
    if (m_mode != Mode::Streaming) {
        handAscii(lines);
        return;
    }
    const quint64 first = m_bytes.itemsBefore() + 1;
    for (size_t i = 0; i < lines.size(); ++i) {
        const QLatin1StringView line = lines[i];
        const bool ascii = isAscii(line.data(), line.size());
        if (ascii) {
            if (m_longest > 0 && line.size() > m_longest) {
                handAscii(m_asciiRun);
                m_asciiRun.clear();
                throw Failure(lineTooLong(first + i, m_longest));
            }
            m_asciiRun.push_back(line);
            continue;
        }
        handAscii(m_asciiRun);
        m_asciiRun.clear();
        handDecoded(line, first + i);
    }
    handAscii(m_asciiRun);
    m_asciiRun.clear();
}

void Reader::handAscii(const std::vector<QLatin1StringView>& items)
{
    if (items.empty())
        return;
    if (m_ascii) {
        m_ascii(items);
        return;
    }
    m_scratch.resize(0);
    for (const QLatin1StringView item : items)
        m_scratch.append(item);
    m_views.clear();
    qsizetype at = 0;
    for (const QLatin1StringView item : items) {
        m_views.emplace_back(m_scratch.constData() + at, item.size());
        at += item.size();
    }
    m_textSink(m_views);
}

void Reader::handDecoded(QLatin1StringView line, quint64 number)
{
    const QByteArrayView bytes(line.data(), line.size());
    m_windows = m_windows || !bytes.isValidUtf8();
    m_line = m_windows ? fromWindows1252(bytes) : m_lineUtf8.decode(bytes);
    if (m_longest > 0 && m_line.size() > m_longest)
        throw Failure(lineTooLong(number, m_longest));
    m_views.assign(1, QStringView(m_line));
    m_textSink(m_views);
}

} // namespace

bool readItems(const ByteSource& source, const AsciiBatchSink& ascii, const BatchSink& text,
               const Reading& reading)
{
    return Reader(source, ascii, text, reading).run();
}

void readItems(const QString& path, const ItemSink& item)
{
    readItems(path, {}, oneAtATime(item), Reading());
}

bool readItems(const QString& path, const AsciiBatchSink& ascii, const BatchSink& text,
               const Reading& reading)
{
    const QByteArray name = QFile::encodeName(path);
    // A pipe without a writer cannot block, and whatever is no regular file is
    // refused before reading.
    struct stat info;
    const FileHandle file = openRegularFile(name, info);

    return readItems(
        {[&file](char* buffer, qsizetype size) { return readSome(file, buffer, size); },
         [&file](qint64 offset) {
             if (::lseek(file.fd(), off_t(offset), SEEK_SET) != off_t(offset))
                 throw systemFailure(errno);
         }},
        ascii, text, reading);
}

} // namespace TextFileReader
