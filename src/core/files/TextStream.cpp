#include "core/files/TextStream.h"

#include "core/base/Failure.h"
#include "core/files/FileHandle.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Encoded text is handed to the file in pieces of about this size.
constexpr qsizetype FlushBytes = qsizetype(64) * 1024;

const QString LineEnd = QStringLiteral("\r\n");

bool readOnly(const QFileInfo& file)
{
    constexpr auto anyWrite =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return !file.isWritable() || !(file.permissions() & anyWrite);
}

// What went wrong with the file: its own description, or, where it has none
// that names the cause, the system's text for `error`.
QString describe(const QFileDevice& file, int error)
{
    QString text = file.errorString();
    if (!text.isEmpty() && text != QLatin1String("Unknown error"))
        return text;
    return error != 0 ? systemErrorText(error) : text;
}

// Whether this process may not create files in the folder.
bool folderRefusesWriting(const QString& folder)
{
    return ::faccessat(AT_FDCWD, QFile::encodeName(folder).constData(), W_OK, AT_EACCESS) != 0 &&
           errno == EACCES;
}

// The existing regular file at `path`, opened for writing in place and
// emptied. It is opened without waiting and checked before anything is
// written, so that nothing else put there meanwhile can block the save.
std::unique_ptr<QFile> openInPlace(const QString& path)
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        throw Failure(systemErrorText(errno));
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                    QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw Failure(file->errorString());
    }
    struct stat info;
    if (::fstat(fd, &info) != 0)
        throw Failure(systemErrorText(errno));
    if (!S_ISREG(info.st_mode))
        throw Failure(QLatin1String(FailureText::NotARegularFile));
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags == -1 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1 || ::ftruncate(fd, 0) != 0)
        throw Failure(systemErrorText(errno));
    return file;
}

} // namespace

TextStream::TextStream(std::unique_ptr<QFileDevice> file)
    : m_file(std::move(file)), m_encoder(QStringConverter::System)
{
    m_buffer.reserve(FlushBytes + 1024);
}

// A stream let go without Close discards the temporary file (QSaveFile does so
// when it is destroyed uncommitted).
TextStream::~TextStream() = default;

void TextStream::WriteLine(const QString& text)
{
    if (Broken())
        throw Failure(m_failure);
    if (m_closed)
        throw Failure(QLatin1String(FailureText::BadFileNameOrNumber));
    put(text);
    put(LineEnd);
    if (m_buffer.size() >= FlushBytes)
        flush();
}

void TextStream::Close()
{
    if (Broken())
        throw Failure(m_failure);
    if (m_closed)
        throw Failure(QLatin1String(FailureText::BadFileNameOrNumber));
    flush();
    m_closed = true;
    if (auto* save = qobject_cast<QSaveFile*>(m_file.get())) {
        if (!save->commit())
            fail(describe(*save, errno));
        return;
    }
    const bool flushed = m_file->flush();
    const QString reason = describe(*m_file, errno);
    m_file->close();
    if (!flushed || m_file->error() != QFileDevice::NoError)
        fail(reason);
}

void TextStream::put(QStringView text)
{
    const qsizetype at = m_buffer.size();
    m_buffer.resize(at + m_encoder.requiredSpace(text.size()));
    char* const end = m_encoder.appendToBuffer(m_buffer.data() + at, text);
    m_buffer.resize(end - m_buffer.constData());
}

void TextStream::flush()
{
    if (m_buffer.isEmpty())
        return;
    // A write cut short (a file-size limit, a disk filling up) is tried
    // again with the rest, which then fails with the reason.
    for (qsizetype at = 0; at < m_buffer.size();) {
        errno = 0;
        const qint64 written = m_file->write(m_buffer.constData() + at, m_buffer.size() - at);
        if (written <= 0)
            fail(describe(*m_file, errno));
        at += written;
    }
    m_buffer.resize(0);
}

void TextStream::fail(const QString& description)
{
    m_failure = description.isEmpty() ? QStringLiteral("Device I/O error") : description;
    m_buffer = QByteArray();
    // A replacement that failed is never put in the target's place.
    if (auto* save = qobject_cast<QSaveFile*>(m_file.get()))
        save->cancelWriting();
    throw Failure(m_failure);
}

std::unique_ptr<TextStream> FileSystemObject::CreateTextFile(const QString& path,
                                                             bool overwrite) const
{
    // Looked at before anything is opened: opening a pipe or a device could
    // wait for ever.
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISDIR(info.st_mode)) {
        if (!overwrite)
            throw Failure(QStringLiteral("File already exists"));
        if (!S_ISREG(info.st_mode))
            throw Failure(QLatin1String(FailureText::NotARegularFile));
        const QFileInfo target(path);
        if (readOnly(target))
            throw Failure(QStringLiteral("Permission denied"));
        // A file the user may write in a folder they may not: no file can be
        // made beside it, so it is written in place.
        if (!m_maker && folderRefusesWriting(QFileInfo(target.canonicalFilePath()).absolutePath()))
            return std::unique_ptr<TextStream>(new TextStream(openInPlace(path)));
    }
    std::unique_ptr<QSaveFile> file = m_maker ? m_maker(path) : std::make_unique<QSaveFile>(path);
    // Unbuffered: the stream gathers its pieces itself, and each write's
    // failure is seen with its reason.
    errno = 0;
    if (!file->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw Failure(describe(*file, errno));
    return std::unique_ptr<TextStream>(new TextStream(std::move(file)));
}
