#include "shell/SettingsStore.h"

#include "shell/Failure.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// A name used as one path component: no separators, no NUL, never "." or "..".
QString component(QString name)
{
    name.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QChar(0), QLatin1Char('_'));
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        name.prepend(QLatin1Char('_'));
    return name;
}

} // namespace

SettingsStore::SettingsStore()
    : m_root(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
{}

SettingsStore::SettingsStore(QString rootFolder) : m_root(std::move(rootFolder)) {}

QString SettingsStore::pathOf(const QString& application, const QString& section,
                              const QString& key) const
{
    return m_root + QLatin1Char('/') + component(application) + QLatin1Char('/') +
           component(section) + QLatin1Char('/') + component(key);
}

QString SettingsStore::read(const QString& application, const QString& section, const QString& key,
                            const QString& defaultValue) const
{
    QFile file(pathOf(application, section, key));
    if (!file.exists())
        return defaultValue;
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Failure(file.errorString());
    return QString::fromUtf8(bytes);
}

void SettingsStore::write(const QString& application, const QString& section, const QString& key,
                          const QString& value) const
{
    const QString path = pathOf(application, section, key);
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        throw Failure(QStringLiteral("Path/File access error"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw Failure(file.errorString());
    const QByteArray bytes = value.toUtf8();
    if (file.write(bytes) != bytes.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        throw Failure(why);
    }
    if (!file.commit())
        throw Failure(file.errorString());
}
