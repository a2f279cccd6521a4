#include "core/files/ZipMembers.h"

#include "core/base/Failure.h"

#include <QFile>
#include <algorithm>
#include <zlib.h>

namespace {

quint32 littleEndian(const char* p, int bytes)
{
    quint32 v = 0;
    for (int k = bytes - 1; k >= 0; --k)
        v = (v << 8) | quint8(p[k]);
    return v;
}

[[noreturn]] void unreadable()
{
    throw Failure(QStringLiteral("The workbook cannot be read back"));
}

QByteArray readAt(QFile& zip, qint64 at, qint64 size)
{
    if (!zip.seek(at))
        unreadable();
    QByteArray bytes = zip.read(size);
    if (bytes.size() != size)
        unreadable();
    return bytes;
}

QByteArray inflated(const QByteArray& deflated, qsizetype size)
{
    QByteArray out(size, Qt::Uninitialized);
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        unreadable();
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.constData()));
    stream.avail_in = uInt(deflated.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    const int result = inflate(&stream, Z_FINISH);
    const bool whole = result == Z_STREAM_END && stream.total_out == uLong(size);
    inflateEnd(&stream);
    if (!whole)
        unreadable();
    return out;
}

} // namespace

void ZipMembers::read(
    QFile& zip, const std::function<void(const QByteArray& name, const QByteArray& bytes)>& member)
{
    constexpr qint64 EndRecord = 22; // without its comment
    const qint64 tailSize = std::min<qint64>(zip.size(), EndRecord + 0xFFFF);
    const QByteArray tail = readAt(zip, zip.size() - tailSize, tailSize);
    const qsizetype end = tail.lastIndexOf(QByteArrayView("PK\x05\x06", 4));
    if (end < 0 || tail.size() - end < EndRecord)
        unreadable();
    const QByteArray directory = readAt(zip, littleEndian(tail.constData() + end + 16, 4),
                                        littleEndian(tail.constData() + end + 12, 4));
    constexpr qsizetype EntryBytes = 46;
    constexpr qsizetype LocalBytes = 30;
    for (qsizetype at = 0; at < directory.size();) {
        const char* entry = directory.constData() + at;
        if (directory.size() - at < EntryBytes || littleEndian(entry, 4) != 0x02014b50)
            unreadable();
        const quint32 method = littleEndian(entry + 10, 2);
        const quint32 packed = littleEndian(entry + 20, 4);
        const quint32 size = littleEndian(entry + 24, 4);
        const qsizetype nameBytes = littleEndian(entry + 28, 2);
        const qsizetype next =
            at + EntryBytes + nameBytes + littleEndian(entry + 30, 2) + littleEndian(entry + 32, 2);
        if (next > directory.size() || (method != 0 && method != Z_DEFLATED))
            unreadable();
        const qint64 local = littleEndian(entry + 42, 4);
        const QByteArray header = readAt(zip, local, LocalBytes);
        const qint64 data = local + LocalBytes + littleEndian(header.constData() + 26, 2) +
                            littleEndian(header.constData() + 28, 2);
        const QByteArray stored = readAt(zip, data, packed);
        member(QByteArray(entry + EntryBytes, nameBytes),
               method == 0 ? stored : inflated(stored, qsizetype(size)));
        at = next;
    }
}
