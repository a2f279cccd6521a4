#include "cli/Input.h"

#include "cli/Interruption.h"
#include "core/base/Failure.h"
#include "core/files/FileHandle.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace Checker {

int openInput(const QString& path)
{
    while (true) {
        stopIfInterrupted();
        FileHandle file(
            ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
        if (!file.isOpen() && errno == EINTR)
            continue;
        struct stat info;
        if (!file.isOpen() || ::fstat(file.fd(), &info) != 0)
            throw systemFailure(errno);
        if (S_ISDIR(info.st_mode))
            throw systemFailure(EISDIR);
        return file.release();
    }
}

namespace {

qsizetype readSome(int fd, char* to, qsizetype size)
{
    while (true) {
        stopIfInterrupted();
        const ssize_t n = ::read(fd, to, size_t(size));
        if (n >= 0)
            return qsizetype(n);
        if (errno != EINTR)
            throw systemFailure(errno);
    }
}

// The first bytes of a workbook: a zip archive (.xlsx, .ods), an OLE2 file (.xls).
constexpr QByteArrayView ZipMark("PK\x03\x04"), Ole2Mark("\xD0\xCF\x11\xE0");

// Refuses an input whose first bytes show it is no text. A UTF-16 text's
// mark comes before the NUL bytes of its ASCII characters.
void refuseUnlessText(QByteArrayView start)
{
    if (start.startsWith("\xFF\xFE") || start.startsWith("\xFE\xFF"))
        return;
    if (start.startsWith(ZipMark))
        throw Failure(QStringLiteral(
            "a workbook or other zip archive, not a text file: convert it to CSV with "
            "LibreOffice or xlsx2csv, or use the window's Load Codes From Spreadsheet File\u2026"));
    if (start.startsWith(Ole2Mark))
        throw Failure(QStringLiteral(
            "an old Excel workbook (.xls) or other OLE2 file, not a text file: convert it to CSV "
            "with LibreOffice, or to .xlsx for the window's Load Codes From Spreadsheet "
            "File\u2026"));
    if (std::memchr(start.data(), 0, size_t(start.size())) != nullptr)
        throw Failure(QStringLiteral("not a text file"));
}

// The first read of an input, judged before it is handed on: a start that
// may yet be a workbook's mark is completed first.
qsizetype readFirst(int fd, char* to, qsizetype size)
{
    qsizetype n = readSome(fd, to, size);
    const auto mayBeMark = [&] {
        const QByteArrayView start(to, n);
        return n > 0 && n < ZipMark.size() &&
               (ZipMark.startsWith(start) || Ole2Mark.startsWith(start));
    };
    while (mayBeMark()) {
        const qsizetype more = readSome(fd, to + n, size - n);
        if (more == 0)
            break;
        n += more;
    }
    refuseUnlessText(QByteArrayView(to, n));
    return n;
}

} // namespace

TextFileReader::ByteSource inputSource(int fd)
{
    TextFileReader::ByteSource source;
    source.read = [fd, first = true](char* to, qsizetype size) mutable {
        return std::exchange(first, false) ? readFirst(fd, to, size) : readSome(fd, to, size);
    };
    // Only a regular file is read twice, from where it stood (standard input
    // may start part-way into one).
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

bool readInput(int fd, const TextFileReader::AsciiBatchSink& ascii,
               const TextFileReader::BatchSink& text)
{
    TextFileReader::Reading reading;
    reading.chunkBytes = InputChunkBytes;
    reading.longestLine = LongestLine;
    return TextFileReader::readItems(inputSource(fd), ascii, text, reading);
}

} // namespace Checker
