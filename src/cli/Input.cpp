#include "cli/Input.h"

#include "cli/Interruption.h"
#include "core/files/FileHandle.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

TextFileReader::ByteSource inputSource(int fd)
{
    TextFileReader::ByteSource source;
    source.read = [fd](char* to, qsizetype size) -> qsizetype {
        while (true) {
            stopIfInterrupted();
            const ssize_t n = ::read(fd, to, size_t(size));
            if (n >= 0)
                return qsizetype(n);
            if (errno != EINTR)
                throw systemFailure(errno);
        }
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
