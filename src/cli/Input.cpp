#include "cli/Input.h"

#include "cli/Interruption.h"
#include "core/files/FileHandle.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

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

bool readInput(int fd, const TextFileReader::AsciiBatchSink& ascii,
               const TextFileReader::BatchSink& text)
{
    TextFileReader::Reading reading;
    reading.chunkBytes = InputChunkBytes;
    reading.longestLine = LongestLine;
    return TextFileReader::readItems(
        TextFileReader::ByteSource::ofDescriptor(fd, stopIfInterrupted), ascii, text, reading);
}

} // namespace Checker
