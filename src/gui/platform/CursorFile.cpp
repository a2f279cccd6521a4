#include "gui/platform/CursorFile.h"

#include <QtEndian>

std::optional<QPoint> cursorHotspot(const QByteArray& curFile)
{
    // Header: reserved 0, type 2 (cursor), image count; then 16-byte entries
    // whose words at offsets 4 and 6 are the hotspot's x and y.
    constexpr qsizetype HeaderSize = 6;
    constexpr qsizetype EntrySize = 16;
    auto word = [&curFile](qsizetype at) {
        return qFromLittleEndian<quint16>(curFile.constData() + at);
    };
    if (curFile.size() < HeaderSize + EntrySize || word(0) != 0 || word(2) != 2 || word(4) == 0)
        return std::nullopt;
    return QPoint(word(HeaderSize + 4), word(HeaderSize + 6));
}
