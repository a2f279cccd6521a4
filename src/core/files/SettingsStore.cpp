#include "core/files/SettingsStore.h"

#include "core/base/Failure.h"
#include "core/files/SafeFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A name used as one path component: no separators, no NUL, never "." or "..".
QString component(QString name)
{
    name.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QChar(0), QLatin1Char('_'));
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        name.prepend(QLatin1Char('_'));
    return name;
}

// What the path names, links followed: false when there is nothing there.
// Throws Failure when the path cannot be looked at.
bool statOf(const QByteArray& name, struct stat& info)
{
    if (::stat(name.constData(), &info) == 0)
        return true;
    if (errno == ENOENT || errno == ENOTDIR)
        return false;
    throw systemFailure(errno);
}

// Renames `from` to `to` unless `to` exists; false when it does.
bool renameNoReplace(const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EEXIST)
        return false;
    if (errno != EINVAL && errno != ENOSYS)
        throw systemFailure(errno);
    // A file system without that kind of rename: a second name, then the old
    // one goes. The link itself never replaces anything.
    if (::link(from.constData(), to.constData()) != 0) {
        if (errno == EEXIST)
            return false;
        throw systemFailure(errno);
    }
    if (::unlink(from.constData()) != 0) {
        const int error = errno;
        ::unlink(to.constData());
        throw systemFailure(error);
    }
    return true;
}

} // namespace

SettingsStore::SettingsStore()
    : m_root(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
{}

QString SettingsStore::folderOf(const QString& application, const QString& section) const
{
    return m_root + QLatin1Char('/') + component(application) + QLatin1Char('/') +
           component(section);
}

QString SettingsStore::pathOf(const QString& application, const QString& section,
                              const QString& key) const
{
    return folderOf(application, section) + QLatin1Char('/') + component(key);
}

std::optional<SettingsStore::Reader>
SettingsStore::open(const QString& application, const QString& section, const QString& key) const
{
    const QByteArray name = QFile::encodeName(pathOf(application, section, key));
    struct stat info;
    bool missing = false;
    FileHandle file = openRegularFile(name, info, &missing);
    if (missing)
        return std::nullopt;
    return Reader(std::move(file), qsizetype(info.st_size));
}

QString SettingsStore::read(const QString& application, const QString& section, const QString& key,
                            const QString& defaultValue) const
{
    const std::optional<Reader> value = open(application, section, key);
    if (!value)
        return defaultValue;
    QByteArray bytes;
    char piece[64 * 1024];
    while (const qsizetype n = value->read(piece, sizeof piece))
        bytes.append(piece, n);
    return QString::fromUtf8(bytes);
}

void SettingsStore::write(const QString& application, const QString& section, const QString& key,
                          const std::function<void(const ByteSink& write)>& produce) const
{
    const QString path = pathOf(application, section, key);
    // Never a pipe, a device or a folder, nor what a link to one points at.
    struct stat info;
    if (statOf(QFile::encodeName(path), info) && !S_ISREG(info.st_mode))
        throw Failure(QLatin1String(FailureText::NotARegularFile));
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        throw Failure(QStringLiteral("Path/File access error"));
    SafeFile::Rules rules;
    rules.existing = SafeFile::Existing::Replace;
    rules.inPlaceAllowed = false; // replaced in one step, or not at all
    const std::unique_ptr<SafeFile> file = SafeFile::open(path, rules);
    // Let go uncommitted when producing fails: the stored file stays as it was.
    produce([&file](QByteArrayView bytes) { file->write(bytes); });
    file->commit();
}

QString SettingsStore::keepAside(const QString& application, const QString& section,
                                 const QString& key) const
{
    const QString path = pathOf(application, section, key);
    const QByteArray name = QFile::encodeName(path);
    struct stat info;
    if (!statOf(name, info) || !S_ISREG(info.st_mode))
        return {};
    const QString stem = path + QStringLiteral(".unread-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 1;; ++n) {
        QString keep = n == 1 ? stem : stem + QLatin1Char('-') + QString::number(n);
        if (renameNoReplace(name, QFile::encodeName(keep)))
            return keep;
    }
}
