#include "core/files/WorkFolder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <sys/file.h>

namespace {

// The folder opened without following a link; none when it cannot be.
FileHandle openFolder(const QString& path)
{
    return FileHandle(::open(QFile::encodeName(path).constData(),
                             O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

} // namespace

WorkFolder::WorkFolder()
{
    if (isValid()) {
        m_lock = openFolder(path());
        if (m_lock.isOpen())
            ::flock(m_lock.fd(), LOCK_EX | LOCK_NB);
    }
}

void WorkFolder::removeAbandoned()
{
    const QString program = QCoreApplication::applicationName();
    if (program.isEmpty())
        return;
    const QDir temporary(QDir::tempPath());
    const qint64 changedBefore = QDateTime::currentSecsSinceEpoch() - 10;
    for (const QString& name : temporary.entryList({program + QStringLiteral("-??????")},
                                                   QDir::Dirs | QDir::NoSymLinks)) {
        const QString path = temporary.filePath(name);
        const FileHandle folder = openFolder(path);
        struct stat info;
        if (folder.isOpen() && ::fstat(folder.fd(), &info) == 0 && info.st_uid == ::getuid() &&
            info.st_mtime < changedBefore && ::flock(folder.fd(), LOCK_EX | LOCK_NB) == 0)
            QDir(path).removeRecursively();
    }
}
