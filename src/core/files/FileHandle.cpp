#include "core/files/FileHandle.h"

#include <cerrno>

FileHandle openRegularFile(const QByteArray& name, struct stat& info, bool* missing, int access)
{
    FileHandle file(::open(name.constData(), access | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!file.isOpen()) {
        if (missing && (errno == ENOENT || errno == ENOTDIR)) {
            *missing = true;
            return file;
        }
        if (errno == ENXIO) // a socket
            throw Failure(QLatin1String(FailureText::NotARegularFile));
        throw systemFailure(errno);
    }
    if (::fstat(file.fd(), &info) != 0)
        throw systemFailure(errno);
    if (S_ISDIR(info.st_mode))
        throw systemFailure(EISDIR);
    if (!S_ISREG(info.st_mode))
        throw Failure(QLatin1String(FailureText::NotARegularFile));
    // A regular file never makes a read or write wait; from here on they are
    // plain.
    const int flags = ::fcntl(file.fd(), F_GETFL);
    if (flags == -1 || ::fcntl(file.fd(), F_SETFL, flags & ~O_NONBLOCK) == -1)
        throw systemFailure(errno);
    return file;
}

qsizetype readSome(const FileHandle& file, char* to, qsizetype room)
{
    while (true) {
        const ssize_t n = ::read(file.fd(), to, size_t(room));
        if (n >= 0)
            return qsizetype(n);
        if (errno != EINTR)
            throw systemFailure(errno);
    }
}
