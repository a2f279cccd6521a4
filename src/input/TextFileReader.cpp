#include "input/TextFileReader.h"

#include "shell/Failure.h"

#include <QFile>
#include <QStringDecoder>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace TextFileReader {

namespace {

Failure systemFailure(int error)
{
    return Failure(QString::fromLocal8Bit(std::strerror(error)));
}

// The system's decoder, which can also tell whether the input ended inside a
// character.
class Decoder : public QStringDecoder
{
public:
    Decoder() : QStringDecoder(QStringConverter::System) {}
    bool insideCharacter() const { return state.remainingChars != 0; }
};

// An open file descriptor, closed when it goes.
class FileHandle
{
public:
    explicit FileHandle(int fd) : m_fd(fd) {}
    ~FileHandle()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

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
            m_item(QString(start, p - start));
        } else {
            m_pending.append(start, p - start);
            m_item(std::exchange(m_pending, QString()));
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
    if (start != end)
        m_pending.append(start, end - start);
}

void LineSplitter::finish()
{
    if (!m_pending.isEmpty() || m_openedByLF)
        m_item(std::exchange(m_pending, QString()));
    m_afterCR = false;
    m_openedByLF = false;
}

void readItems(const std::function<qsizetype(char* buffer, qsizetype size)>& read,
               const ItemSink& item, qsizetype chunkBytes)
{
    Decoder decoder;
    LineSplitter splitter(item);
    // Each read is decoded up to its last ASCII byte, where the decoder stands
    // between two characters; the bytes after it wait for the next read. Handed
    // a malformed character in two calls, the decoder may drop the valid bytes
    // after it, so that the items would depend on where a read ended.
    std::vector<char> bytes(size_t(2 * chunkBytes));
    std::vector<QChar> text(size_t(decoder.requiredSpace(2 * chunkBytes)));
    qsizetype carried = 0;
    auto decode = [&](qsizetype length) {
        const QChar* end =
            decoder.appendToBuffer(text.data(), QByteArrayView(bytes.data(), length));
        splitter.feed(QStringView(text.data(), end - text.data()));
    };
    while (true) {
        const qsizetype n = read(bytes.data() + carried, chunkBytes);
        if (n <= 0)
            break;
        const qsizetype length = carried + n;
        qsizetype cut = length;
        while (cut > 0 && static_cast<unsigned char>(bytes[size_t(cut - 1)]) >= 0x80)
            --cut;
        if (length - cut >= chunkBytes)
            cut = length; // a whole piece without ASCII: no better place to cut
        decode(cut);
        carried = length - cut;
        std::memmove(bytes.data(), bytes.data() + cut, size_t(carried));
    }
    if (carried > 0)
        decode(carried);
    if (decoder.insideCharacter())
        splitter.feed(QStringView(u"\uFFFD"));
    splitter.finish();
}

void readItems(const QString& path, const ItemSink& item)
{
    const QByteArray name = QFile::encodeName(path);
    // Opened without waiting, so that a pipe without a writer cannot block;
    // whatever is no regular file is refused before reading.
    FileHandle file(::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (file.fd() < 0)
        throw systemFailure(errno);
    struct stat info;
    if (::fstat(file.fd(), &info) != 0)
        throw systemFailure(errno);
    if (S_ISDIR(info.st_mode))
        throw systemFailure(EISDIR);
    if (!S_ISREG(info.st_mode))
        throw Failure(QStringLiteral("Not a regular file"));
    const int flags = ::fcntl(file.fd(), F_GETFL);
    if (flags == -1 || ::fcntl(file.fd(), F_SETFL, flags & ~O_NONBLOCK) == -1)
        throw systemFailure(errno);

    readItems(
        [&file](char* buffer, qsizetype size) -> qsizetype {
            while (true) {
                const ssize_t n = ::read(file.fd(), buffer, size_t(size));
                if (n >= 0)
                    return qsizetype(n);
                if (errno != EINTR)
                    throw systemFailure(errno);
            }
        },
        item);
}

} // namespace TextFileReader
