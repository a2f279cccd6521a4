#include "core/base/ApplicationTitle.h"

QString makeApplicationTitle(const QString& productName)
{
    constexpr qsizetype MaxLength = 40;
    QString title = productName;
    do {
        const qsizetype blank = title.lastIndexOf(QLatin1Char(' '));
        if (blank < 0)
            break;
        title.truncate(blank);
    } while (title.size() > MaxLength);
    return title;
}
