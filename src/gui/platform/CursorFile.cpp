#include "gui/platform/CursorFile.h"

namespace {

quint16 word(const QByteArray& bytes, qsizetype at)
{
    return quint16(quint8(bytes[at])) | quint16(quint8(bytes[at + 1]) << 8);
}

} // namespace

std::optional<QPoint> cursorHotspot(const QByteArray& curFile)
{
    // Header: reserved 0, type 2 (cursor), image count; then 16-byte entries
    // whose words at offsets 4 and 6 are the hotspot's x and y.
    constexpr qsizetype HeaderSize = 6;
    constexpr qsizetype EntrySize = 16;
    if (curFile.size() < HeaderSize + EntrySize)
        return std::nullopt;
    if (word(curFile, 0) != 0 || word(curFile, 2) != 2 || word(curFile, 4) == 0)
        return std::nullopt;
    return QPoint(word(curFile, HeaderSize + 4), word(curFile, HeaderSize + 6));
}
