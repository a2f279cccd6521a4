#include "features/Main.h"

#include "core/base/ApplicationTitle.h"
#include "core/base/Maker.h"
#include "core/files/FilePath.h"
#include "features/host/Platform.h"

#include <QFileInfo>

namespace Main {

namespace {
QString applicationTitle = QLatin1String(Maker::ProductName);
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
    applicationTitle = makeApplicationTitle(QLatin1String(Maker::ProductName));
}

const QString& ApplicationTitle()
{
    return applicationTitle;
}

void OpenHomePageOccasionally(RandomSource& random, UrlOpener& opener, double secondsSinceMidnight)
{
    random.seed(secondsSinceMidnight);
    const int n = int(random.next() * 100) + 1;
    if (n == 7)
        opener.openUrl(QLatin1String(Maker::HomePage));
}

QString FixDoubleBackslashes(const QString& path)
{
    return FilePath::collapseDoubledSeparators(path);
}

} // namespace Main
