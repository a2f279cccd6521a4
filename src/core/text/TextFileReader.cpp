#include "core/text/TextFileReader.h"

#include "core/base/Failure.h"
#include "core/files/FileHandle.h"

#include <QFile>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
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

// The number of bytes before the first that is not ASCII.
qsizetype asciiPrefix(const char* bytes, qsizetype length)
{
    qsizetype i = 0;
    for (; i + 8 <= length; i += 8) {
        quint64 word;
        std::memcpy(&word, bytes + i, 8);
        if (word & 0x8080808080808080u)
            break;
    }
    while (i < length && static_cast<unsigned char>(bytes[i]) < 0x80)
        ++i;
    return i;
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

} // namespace

static BatchSink oneAtATime(const ItemSink& item)
{
    return [item](const std::vector<QStringView>& items) {
        for (const QStringView text : items)
            item(text.toString());
    };
}

LineSplitter::LineSplitter(const ItemSink& item) : m_items(oneAtATime(item)) {}

void LineSplitter::handOn()
{
    if (m_batch.empty())
        return;
    m_items(m_batch);
    m_batch.clear();
}

void LineSplitter::feed(QStringView text)
{
    const QChar* p = text.data();
    const QChar* const end = p + text.size();
    if (p == end)
        return;
    if (m_afterCR && *p == u'\n')
        ++p; // the LF of a CR LF
    m_afterCR = false;
    const QChar* start = p;
    while (p != end) {
        const char16_t c = p->unicode();
        if (c != u'\r' && c != u'\n') {
            ++p;
            continue;
        }
        if (m_pending.isEmpty()) {
            m_batch.emplace_back(start, p - start);
        } else {
            // Only the first item of a piece can have begun in an earlier one.
            m_pending.append(start, p - start);
            m_completed = std::exchange(m_pending, QString());
            m_batch.emplace_back(m_completed);
        }
        ++p;
        if (c == u'\r') {
            m_openedByLF = false;
            if (p == end)
                m_afterCR = true;
            else if (*p == u'\n')
                ++p;
        } else {
            m_openedByLF = true;
        }
        start = p;
    }
    handOn();
    m_completed = QString();
    if (start != end)
        m_pending.append(start, end - start);
}

void LineSplitter::finish()
{
    if (!m_pending.isEmpty() || m_openedByLF) {
        m_completed = std::exchange(m_pending, QString());
        m_batch.emplace_back(m_completed);
        handOn();
        m_completed = QString();
    }
    m_afterCR = false;
    m_openedByLF = false;
}

QString fromWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    windows1252(bytes.data(), bytes.size(), text.data());
    return text;
}

void readItems(const ByteSource& source, const ItemSink& item, qsizetype chunkBytes)
{
    readItems(source, oneAtATime(item), chunkBytes);
}

void readItems(const ByteSource& source, const BatchSink& item, qsizetype chunkBytes)
{
    enum class Mode
    {
        Ascii,
        Utf8,
        Windows1252,
        Utf16
    };
    Mode mode = Mode::Ascii;
    Decoder utf8(QStringConverter::Utf8);
    std::unique_ptr<Decoder> utf16;
    LineSplitter splitter(item);

    // The bytes at hand start at `offset` in the file; a read appends to them.
    std::vector<char> bytes(size_t(2 * chunkBytes + 4));
    std::vector<QChar> text(
        size_t(std::max(utf8.requiredSpace(qsizetype(bytes.size())), qsizetype(bytes.size()))));
    qsizetype length = 0;
    qint64 offset = 0;
    bool end = false;
    auto fill = [&] {
        const qsizetype n = source.read(bytes.data() + length, chunkBytes);
        if (n <= 0)
            end = true;
        else
            length += n;
    };
    // Lets go of the first `used` bytes at hand.
    auto drop = [&](qsizetype used) {
        std::memmove(bytes.data(), bytes.data() + used, size_t(length - used));
        length -= used;
        offset += used;
    };
    auto feed = [&](const QChar* stop) { splitter.feed(QStringView(text.data(), stop)); };
    auto decode = [&](QStringDecoder& decoder, qsizetype used) {
        feed(decoder.appendToBuffer(text.data(), QByteArrayView(bytes.data(), used)));
        drop(used);
    };
    // Whether the bytes from those at hand to the end of the file are UTF-8.
    auto restIsUtf8 = [&] {
        while (true) {
            const qsizetype open = end ? 0 : openCharacter(bytes.data(), length);
            if (!QByteArrayView(bytes.data(), length - open).isValidUtf8())
                return false;
            if (end)
                return true;
            drop(length - open);
            fill();
        }
    };

    // The byte-order mark.
    while (length < 3 && !end)
        fill();
    const QByteArrayView start(bytes.data(), length);
    if (start.startsWith("\xEF\xBB\xBF")) {
        mode = Mode::Utf8;
        drop(3);
    } else if (start.startsWith("\xFF\xFE") || start.startsWith("\xFE\xFF")) {
        mode = Mode::Utf16;
        utf16 = std::make_unique<Decoder>(start.startsWith("\xFF") ? QStringConverter::Utf16LE
                                                                   : QStringConverter::Utf16BE);
        drop(2);
    }

    while (true) {
        switch (mode) {
        case Mode::Ascii: {
            // ASCII reads alike in every encoding here: it is handed on at
            // once. At the first other byte the encoding is settled, and the
            // file is read again from there.
            const qsizetype ascii = asciiPrefix(bytes.data(), length);
            decode(utf8, ascii);
            if (length == 0)
                break;
            const qint64 from = offset;
            mode = restIsUtf8() ? Mode::Utf8 : Mode::Windows1252;
            source.seek(from);
            offset = from;
            length = 0;
            end = false;
            break;
        }
        case Mode::Utf8: {
            // Each read is decoded up to its last ASCII byte, where the
            // decoder stands between two characters; the bytes after it wait
            // for the next read. Handed a malformed character in two calls,
            // the decoder may drop the valid bytes after it, so that the items
            // would depend on where a read ended.
            qsizetype cut = length;
            if (!end) {
                while (cut > 0 && static_cast<unsigned char>(bytes[size_t(cut - 1)]) >= 0x80)
                    --cut;
                if (length - cut >= chunkBytes)
                    cut = length; // a whole piece without ASCII: no better place to cut
            }
            decode(utf8, cut);
            break;
        }
        case Mode::Windows1252:
            feed(windows1252(bytes.data(), length, text.data()));
            drop(length);
            break;
        case Mode::Utf16:
            decode(*utf16, length);
            break;
        }
        if (end)
            break;
        fill();
    }
    if (utf8.insideCharacter() || (utf16 && utf16->insideCharacter()))
        splitter.feed(QStringView(u"\uFFFD"));
    splitter.finish();
}

void readItems(const QString& path, const ItemSink& item)
{
    readItems(path, oneAtATime(item));
}

void readItems(const QString& path, const BatchSink& item)
{
    const QByteArray name = QFile::encodeName(path);
    // A pipe without a writer cannot block, and whatever is no regular file is
    // refused before reading.
    struct stat info;
    const FileHandle file = openRegularFile(name, info);

    readItems({[&file](char* buffer, qsizetype size) -> qsizetype {
                   while (true) {
                       const ssize_t n = ::read(file.fd(), buffer, size_t(size));
                       if (n >= 0)
                           return qsizetype(n);
                       if (errno != EINTR)
                           throw systemFailure(errno);
                   }
               },
               [&file](qint64 offset) {
                   if (::lseek(file.fd(), off_t(offset), SEEK_SET) != off_t(offset))
                       throw systemFailure(errno);
               }},
              item);
}

} // namespace TextFileReader
