#include "core/files/SafeFile.h"

#include "core/base/Failure.h"
#include "core/files/FileHandle.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

// A file-size limit makes a write fail with EFBIG instead of ending the process.
void ignoreFileSizeSignal()
{
    struct sigaction now = {};
    if (::sigaction(SIGXFSZ, nullptr, &now) == 0 && now.sa_handler == SIG_DFL)
        std::signal(SIGXFSZ, SIG_IGN);
}

// An existing regular file, opened to be written in place when no file can be
// made beside it; else none (it is replaced). Refused when read-only.
FileHandle openInPlace(const QString& path, const SafeFile::Rules& rules)
{
    const QFileInfo target(path);
    constexpr auto anyWrite =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (rules.existing == SafeFile::Existing::ReplaceUnlessReadOnly &&
        (!target.isWritable() || !(target.permissions() & anyWrite)))
        throw Failure(QStringLiteral("Permission denied"));
    if (rules.maker || !rules.inPlaceAllowed ||
        !folderRefusesWriting(QFileInfo(target.canonicalFilePath()).absolutePath()))
        return FileHandle(-1);
    // Opened without waiting, and checked once open, so that nothing else put
    // there meanwhile can block the write.
    struct stat info;
    return openRegularFile(QFile::encodeName(path), info, nullptr, O_WRONLY);
}

// A pipe or a device, opened for writing as it is; none when it has become a
// regular file meanwhile. The open waits as long as it takes (a pipe waits for
// its reader) unless a signal that `interrupted` reports cuts the wait short.
FileHandle openStraight(const QString& path, const SafeFile::Rules& rules)
{
    const QByteArray name = QFile::encodeName(path);
    int fd = -1;
    while ((fd = ::open(name.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY)) < 0) {
        if (errno != EINTR || (rules.interrupted && rules.interrupted()))
            throw systemFailure(errno);
    }
    FileHandle file(fd);
    struct stat info;
    if (::fstat(file.fd(), &info) != 0)
        throw systemFailure(errno);
    return S_ISREG(info.st_mode) ? FileHandle(-1) : std::move(file);
}

} // namespace

SafeFile::SafeFile(std::unique_ptr<QSaveFile> save, int fd, bool owned, bool inPlace,
                   std::function<bool()> interrupted)
    : m_save(std::move(save)), m_fd(fd), m_owned(owned), m_toEmpty(inPlace),
      m_interrupted(std::move(interrupted))
{}

SafeFile::~SafeFile()
{
    if (m_owned && m_fd >= 0)
        ::close(m_fd);
}

std::unique_ptr<SafeFile> SafeFile::open(const QString& path, const Rules& rules)
{
    ignoreFileSizeSignal();
    const bool straightAllowed = rules.others == Others::WriteStraight;
    if (straightAllowed && rules.standardOutput >= 0 && path == QLatin1String("-"))
        return std::unique_ptr<SafeFile>(
            new SafeFile(nullptr, rules.standardOutput, false, false, rules.interrupted));
    // Looked at before anything is opened: opening a pipe or a device could
    // wait for ever.
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISDIR(info.st_mode)) {
        if (rules.existing == Existing::Keep)
            throw Failure(QStringLiteral("File already exists"));
        if (!S_ISREG(info.st_mode) && !straightAllowed)
            throw Failure(QLatin1String(FailureText::NotARegularFile));
        const bool regular = S_ISREG(info.st_mode);
        FileHandle file = regular ? openInPlace(path, rules) : openStraight(path, rules);
        if (file.isOpen())
            return std::unique_ptr<SafeFile>(new SafeFile(nullptr, file.release(), true, regular,
                                                          regular ? nullptr : rules.interrupted));
    }
    std::unique_ptr<QSaveFile> file =
        rules.maker ? rules.maker(path) : std::make_unique<QSaveFile>(path);
    // Unbuffered: the writer gathers its pieces itself, and each write's
    // failure is seen with its reason.
    errno = 0;
    if (!file->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw Failure(describe(*file, errno));
    return std::unique_ptr<SafeFile>(new SafeFile(std::move(file), -1, false, false, {}));
}

void SafeFile::check() const
{
    if (!m_failure.isEmpty())
        throw Failure(m_failure);
    if (m_done)
        throw Failure(QLatin1String(FailureText::BadFileNameOrNumber));
}

void SafeFile::write(QByteArrayView bytes)
{
    check();
    if (!m_save) {
        emptyInPlace();
        while (!bytes.isEmpty()) {
            const ssize_t n = ::write(m_fd, bytes.data(), size_t(bytes.size()));
            if (n > 0)
                bytes = bytes.sliced(n);
            else if (n == 0 || errno != EINTR || (m_interrupted && m_interrupted()))
                fail(systemErrorText(n == 0 ? EIO : errno));
        }
        return;
    }
    // A write cut short (a file-size limit, a disk filling up) is tried again
    // with the rest, which then fails with the reason.
    for (qsizetype at = 0; at < bytes.size();) {
        errno = 0;
        const qint64 written = m_save->write(bytes.data() + at, bytes.size() - at);
        if (written <= 0)
            fail(describe(*m_save, errno));
        at += written;
    }
    m_written += bytes.size();
    // Each megabyte is sent on to the disk at once, without waiting, so that
    // little is left to wait for at commit, where a failure here shows again.
    if (m_written - m_flushing >= qint64(1) << 20) {
        (void)::sync_file_range(m_save->handle(), m_flushing, m_written - m_flushing,
                                SYNC_FILE_RANGE_WRITE);
        m_flushing = m_written;
    }
}

void SafeFile::emptyInPlace()
{
    if (!m_toEmpty)
        return;
    if (::ftruncate(m_fd, 0) != 0)
        fail(systemErrorText(errno));
    m_toEmpty = false;
}

void SafeFile::commit()
{
    check();
    if (m_save) {
        m_done = true;
        errno = 0;
        if (!m_save->commit())
            fail(describe(*m_save, errno));
        return;
    }
    emptyInPlace();
    m_done = true;
    if (m_owned && ::close(std::exchange(m_fd, -1)) != 0)
        fail(systemErrorText(errno));
}

void SafeFile::fail(const QString& description)
{
    m_failure = description.isEmpty() ? QStringLiteral("Device I/O error") : description;
    // A replacement that failed is never put in the target's place.
    if (m_save)
        m_save->cancelWriting();
    throw Failure(m_failure);
}
