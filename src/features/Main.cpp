#include "features/Main.h"

#include "core/base/ApplicationTitle.h"
#include "core/base/Maker.h"
#include "core/files/FilePath.h"
#include "features/host/Platform.h"

#include <QFileInfo>

namespace Main {

namespace {
QString& applicationTitle()
{
    static QString title = QLatin1String(Maker::ProductName);
    return title;
}
} // namespace

bool FileExists(const QString& path)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        return false;
    const QFileInfo info(path);
    return info.exists() && info.lastModified().isValid();
}

void SetApplicationTitle()
{
    applicationTitle() = makeApplicationTitle(QLatin1String(Maker::ProductName));
}

const QString& ApplicationTitle()
{
    return applicationTitle();
}

void OpenHomePageOccasionally(RandomSource& random, UrlOpener& opener, double secondsSinceMidnight)
{
    random.seed(secondsSinceMidnight);
    const int n = int(random.next() * 100) + 1;
    if (n == 7)
        opener.openUrl(QLatin1String(Maker::HomePage));
}

namespace {

template <typename Text> Text fileNameIn(const Text& path)
{
    const qsizetype at = path.lastIndexOf(QLatin1Char('\\'));
    return at < 0 ? path : path.sliced(at + 1);
}

} // namespace

QString FileNameFromPath(const QString& path)
{
    return fileNameIn(path);
}

QStringView FileNameFromPath(QStringView path)
{
    return fileNameIn(path);
}

QLatin1StringView FileNameFromPath(QLatin1StringView path)
{
    return fileNameIn(path);
}

QString FixDoubleBackslashes(const QString& path)
{
    return FilePath::collapseDoubledSeparators(path);
}

} // namespace Main
