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
// of a text itself.
class Decoder : public QStringDecoder
{
public:
    explicit Decoder(Encoding encoding, Flags flags = {})
        : QStringDecoder(encoding, flags | Flag::ConvertInitialBom)
    {}
    bool insideCharacter() const { return state.remainingChars != 0; }
};

// Windows-1252 at 0x80 to 0x9F; the bytes it leaves undefined keep their
// number.
constexpr char16_t Windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QChar* windows1252(QByteArrayView bytes, QChar* out)
{
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        *out++ = QChar((b & 0xE0) == 0x80 ? Windows1252High[b - 0x80] : char16_t(b));
    }
    return out;
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

LineSplitter::LineSplitter(const ItemSink& item) : BasicLineSplitter(oneAtATime(item)) {}

QString lineTooLong(quint64 line, qsizetype bound)
{
    return QStringLiteral("line %1 is longer than %2 characters").arg(line).arg(bound);
}

QString fromWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    windows1252(bytes, text.data());
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
    void fill();
    void drop(qsizetype used);
    bool readMark();
    void decode();
    void feedLines();
    void settle();
    bool restIsUtf8();
    void lines(const std::vector<QLatin1StringView>& lines);
    QStringView decoded(QByteArrayView line, bool ascii, QChar*& out);
    void handOn();

    const ByteSource& m_source;
    const AsciiBatchSink& m_ascii;
    const BatchSink& m_textSink;
    qsizetype m_chunk;
    qsizetype m_longest;
    const std::function<void()>& m_betweenPieces;
    bool m_pieceFilled = false; // the last read filled its piece

    // The bytes at hand start at `m_offset` in the source; a read appends.
    // Left uninitialised: each byte is written before it is read.
    QByteArray m_raw;
    qsizetype m_length = 0;
    qint64 m_offset = 0;
    bool m_end = false;

    std::unique_ptr<Decoder> m_decoder; // after a byte-order mark
    bool m_cutAtAscii = false;          // UTF-8
    QString m_chars;
    LineSplitter m_text;

    BasicLineSplitter<QLatin1StringView> m_bytes;
    // From a source that can seek, the first byte that is not ASCII settles
    // the rest; from another, each line that is not ASCII settles its own.
    bool m_allAscii = true; // every byte fed so far
    bool m_windows = false; // lines that are not ASCII are Windows-1252
    bool m_asciiAsBytes;
    // A line keeps a mark it starts with, as a character within the text.
    Decoder m_lineUtf8{QStringConverter::Utf8, QStringConverter::Flag::Stateless};
    // The run of items not handed on yet: ASCII lines as bytes, or the text of
    // lines, in `m_line`.
    std::vector<QLatin1StringView> m_asciiRun;
    std::vector<QStringView> m_textRun;
    QString m_line;
};

Reader::Reader(const ByteSource& source, const AsciiBatchSink& ascii, const BatchSink& text,
               const Reading& reading)
    : m_source(source), m_ascii(ascii), m_textSink(text), m_chunk(reading.chunkBytes),
      m_longest(reading.longestLine), m_betweenPieces(reading.betweenPieces),
      m_raw(2 * m_chunk + 4, Qt::Uninitialized), m_text(text),
      m_bytes([this](const std::vector<QLatin1StringView>& items) { lines(items); }),
      m_asciiAsBytes(bool(ascii))
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

bool Reader::run()
{
    const bool marked = readMark();
    while (true) {
        if (marked)
            decode();
        else
            feedLines();
        if (m_end)
            break;
        fill();
    }
    if (marked && m_decoder->insideCharacter())
        m_text.feed(QStringView(u"\uFFFD"));
    const bool endsWithLF = marked ? m_text.endsWithLF() : m_bytes.endsWithLF();
    m_text.finish();
    m_bytes.finish();
    return endsWithLF;
}

// Answers whether the text starts with a byte-order mark, dropping it.
bool Reader::readMark()
{
    while (m_length < 3 && !m_end)
        fill();
    const QByteArrayView start(m_raw.data(), m_length);
    if (start.startsWith("\xEF\xBB\xBF")) {
        m_decoder = std::make_unique<Decoder>(QStringConverter::Utf8);
        m_cutAtAscii = true;
        drop(3);
    } else if (start.startsWith("\xFF\xFE") || start.startsWith("\xFE\xFF")) {
        m_decoder = std::make_unique<Decoder>(start.startsWith("\xFF") ? QStringConverter::Utf16LE
                                                                       : QStringConverter::Utf16BE);
        drop(2);
    }
    if (m_decoder)
        m_chars.resize(m_decoder->requiredSpace(m_raw.size()));
    return bool(m_decoder);
}

// A text with a mark is decoded as a whole, then cut. Each read of UTF-8 is
// decoded up to its last ASCII byte, where the decoder stands between two
// characters; the bytes after it wait for the next read. Handed a malformed
// character in two calls, the decoder may drop the valid bytes after it, so
// that the items would depend on where a read ended.
void Reader::decode()
{
    qsizetype cut = m_length;
    if (m_cutAtAscii && !m_end) {
        while (cut > 0 && static_cast<unsigned char>(m_raw[cut - 1]) >= 0x80)
            --cut;
        if (m_length - cut >= m_chunk)
            cut = m_length; // a whole piece without ASCII: no better place to cut
    }
    const QChar* stop = m_decoder->appendToBuffer(m_chars.data(), {m_raw.data(), cut});
    m_text.feed(QStringView(m_chars.data(), stop));
    drop(cut);
}

// Any other text is cut into lines as bytes: CR and LF are never part of
// another character in UTF-8 or Windows-1252.
void Reader::feedLines()
{
    const qsizetype fed = m_allAscii ? asciiPrefix(m_raw.data(), m_length) : m_length;
    m_bytes.feed(QLatin1StringView(m_raw.data(), fed));
    drop(fed);
    if (m_length == 0)
        return;
    // A raw line of this many bytes is longer than the bound in any decoding
    // (UTF-8 takes at most three bytes for one character).
    m_bytes.setLongest(m_longest * 3, m_longest);
    m_allAscii = false;
    if (m_source.seek)
        settle();
    else
        feedLines();
}

// A source that can seek decides on the whole of its rest and goes back there.
void Reader::settle()
{
    const qint64 from = m_offset;
    m_windows = !restIsUtf8();
    m_asciiAsBytes = m_asciiAsBytes && !m_windows;
    m_source.seek(from);
    m_offset = from;
    m_length = 0;
    m_end = false;
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

// Hands on the lines in runs of ASCII bytes and of decoded text.
void Reader::lines(const std::vector<QLatin1StringView>& lines)
{
    if (m_allAscii && m_asciiAsBytes) {
        m_ascii(lines);
        return;
    }
    qsizetype bytes = 0;
    for (const QLatin1StringView line : lines)
        bytes += line.size();
    // No decoding here gives more characters than bytes.
    if (m_line.size() < bytes)
        m_line.resize(bytes);
    QChar* out = m_line.data();
    for (size_t i = 0; i < lines.size(); ++i) {
        const QByteArrayView line(lines[i].data(), lines[i].size());
        const bool ascii = isAscii(line.data(), line.size());
        const bool asBytes = ascii && m_asciiAsBytes;
        if (asBytes ? !m_textRun.empty() : !m_asciiRun.empty())
            handOn();
        const QStringView text = asBytes ? QStringView() : decoded(line, ascii, out);
        if (m_longest > 0 && (asBytes ? line.size() : text.size()) > m_longest) {
            handOn();
            throw Failure(lineTooLong(m_bytes.itemsBefore() + 1 + i, m_longest));
        }
        if (asBytes)
            m_asciiRun.push_back(lines[i]);
        else
            m_textRun.push_back(text);
    }
    handOn();
}

// The text of a line, written at `out`, which is moved past it.
QStringView Reader::decoded(QByteArrayView line, bool ascii, QChar*& out)
{
    m_windows = m_windows || (!m_source.seek && !ascii && !line.isValidUtf8());
    QChar* const start = out;
    out = m_windows ? windows1252(line, out) : m_lineUtf8.appendToBuffer(out, line);
    return QStringView(start, out);
}

// Hands on the run of items not handed on yet.
void Reader::handOn()
{
    if (!m_asciiRun.empty())
        m_ascii(m_asciiRun);
    else if (!m_textRun.empty())
        m_textSink(m_textRun);
    m_asciiRun.clear();
    m_textRun.clear();
}

} // namespace

bool readItems(const ByteSource& source, const AsciiBatchSink& ascii, const BatchSink& text,
               const Reading& reading)
{
    return Reader(source, ascii, text, reading).run();
}

void readItems(const ByteSource& source, const ItemSink& item, qsizetype chunkBytes)
{
    Reading reading;
    reading.chunkBytes = chunkBytes;
    readItems(source, {}, oneAtATime(item), reading);
}

ByteSource ByteSource::ofDescriptor(int fd, std::function<void()> beforeRead)
{
    ByteSource source;
    source.read = [fd, beforeRead = std::move(beforeRead)](char* to, qsizetype size) {
        while (true) {
            if (beforeRead)
                beforeRead();
            const ssize_t n = ::read(fd, to, size_t(size));
            if (n >= 0)
                return qsizetype(n);
            if (errno != EINTR)
                throw systemFailure(errno);
        }
    };
    struct stat info;
    const off_t origin =
        ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) ? ::lseek(fd, 0, SEEK_CUR) : off_t(-1);
    if (origin >= 0) {
        source.seek = [fd, origin](qint64 offset) {
            if (::lseek(fd, origin + off_t(offset), SEEK_SET) < 0)
                throw systemFailure(errno);
        };
    }
    return source;
}

bool readItems(const QString& path, const AsciiBatchSink& ascii, const BatchSink& text,
               const Reading& reading)
{
    // A pipe without a writer cannot block, and whatever is no regular file is
    // refused before reading.
    struct stat info;
    const FileHandle file = openRegularFile(QFile::encodeName(path), info);
    return readItems(ByteSource::ofDescriptor(file.fd()), ascii, text, reading);
}

void readItems(const QString& path, const ItemSink& item)
{
    readItems(path, {}, oneAtATime(item), Reading());
}

} // namespace TextFileReader
