#pragma once

#include "core/base/Failure.h"

#include <QByteArray>
#include <QString>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

// The system's own text for an error number, such as "File too large".
inline QString systemErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

inline Failure systemFailure(int error)
{
    return Failure(systemErrorText(error));
}

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
    FileHandle(FileHandle&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    FileHandle& operator=(FileHandle&& other) noexcept
    {
        std::swap(m_fd, other.m_fd);
        return *this;
    }

    int fd() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    // Gives the descriptor up, to be closed by its taker.
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd = -1;
};

// Reads up to `room` bytes of a regular file into `to`, again when a signal
// cuts the read short; 0 at the end. Throws Failure.
qsizetype readSome(const FileHandle& file, char* to, qsizetype room);

// Opens the file `name` with `access` (O_RDONLY, O_WRONLY), only when it is a
// regular file (links followed), and without ever waiting: a pipe with no
// writer, a device or a socket is refused with "Not a regular file", a folder
// with the system's "Is a directory". `info` receives what the open file is.
// Throws Failure; when `missing` is given, a path that names nothing sets it
// and answers a handle that is not open instead.
FileHandle openRegularFile(const QByteArray& name, struct stat& info, bool* missing = nullptr,
                           int access = O_RDONLY);
