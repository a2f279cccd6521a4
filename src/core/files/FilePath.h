#pragma once

#include <QChar>
#include <QString>

// Paths put together from a folder and a file name.
namespace FilePath {

// The platform's separator between folders and file names, and whether its
// network paths start with two separators ("\\server\share").
#ifdef Q_OS_WIN
inline constexpr char16_t Separator = u'\\';
inline constexpr bool NetworkPrefix = true;
#else
inline constexpr char16_t Separator = u'/';
inline constexpr bool NetworkPrefix = false;
#endif

// The path with every doubled separator made single, in one pass from left to
// right over pairs that do not overlap (three in a row become two). A run of
// separators at the start becomes two when `networkPrefix` is set (a network
// path keeps its two), otherwise one.
QString collapseDoubledSeparators(const QString& path, QChar separator, bool networkPrefix);

// The same with the platform's separator and network prefix: so the root's
// "/" + "/" + "codes.txt" becomes "/codes.txt".
inline QString collapseDoubledSeparators(const QString& path)
{
    return collapseDoubledSeparators(path, QChar(Separator), NetworkPrefix);
}

} // namespace FilePath
