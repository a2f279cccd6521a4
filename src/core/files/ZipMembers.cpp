#include "core/files/ZipMembers.h"

#include "core/base/Failure.h"

#include <QFile>
#include <algorithm>
#include <limits>
#include <memory>
#include <unzip.h>

namespace {

[[noreturn]] void unreadable()
{
    throw Failure(QStringLiteral("The workbook cannot be read back"));
}

// The current member, read whole; its size and CRC must match the directory.
QByteArray currentMember(unzFile zip, QByteArray& name)
{
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
        info.uncompressed_size > quint64(std::numeric_limits<qsizetype>::max()))
        unreadable();
    name.resize(qsizetype(info.size_filename));
    QByteArray bytes(qsizetype(info.uncompressed_size), Qt::Uninitialized);
    if (unzGetCurrentFileInfo64(zip, nullptr, name.data(), uLong(name.size()), nullptr, 0, nullptr,
                                0) != UNZ_OK ||
        unzOpenCurrentFile(zip) != UNZ_OK)
        unreadable();
    qsizetype at = 0;
    int got = 0;
    do { // in pieces, as one read's count is an int
        const qsizetype piece = std::min(bytes.size() - at, qsizetype(1) << 30);
        got = unzReadCurrentFile(zip, bytes.data() + at, unsigned(piece));
        at += std::max(got, 0);
    } while (got > 0 && at < bytes.size());
    char beyond = 0;
    const bool whole = got >= 0 && at == bytes.size() && unzReadCurrentFile(zip, &beyond, 1) == 0;
    if (unzCloseCurrentFile(zip) != UNZ_OK || !whole)
        unreadable();
    return bytes;
}

using Zip = std::unique_ptr<void, int (*)(unzFile)>;

Zip open(const QString& path)
{
    return Zip(unzOpen64(QFile::encodeName(path).constData()), unzClose);
}

} // namespace

void ZipMembers::read(
    const QString& path,
    const std::function<void(const QByteArray& name, const QByteArray& bytes)>& member)
{
    const Zip zip = open(path);
    if (!zip)
        unreadable();
    QByteArray name;
    for (int at = unzGoToFirstFile(zip.get()); at != UNZ_END_OF_LIST_OF_FILE;
         at = unzGoToNextFile(zip.get())) {
        if (at != UNZ_OK)
            unreadable();
        member(name, currentMember(zip.get(), name));
    }
}

std::optional<quint64> ZipMembers::unpackedSize(const QString& path)
{
    const Zip zip = open(path);
    if (!zip)
        return std::nullopt;
    quint64 total = 0;
    unz_file_info64 info{};
    for (int at = unzGoToFirstFile(zip.get()); at == UNZ_OK; at = unzGoToNextFile(zip.get())) {
        if (unzGetCurrentFileInfo64(zip.get(), &info, nullptr, 0, nullptr, 0, nullptr, 0) == UNZ_OK)
            total += std::min(info.uncompressed_size, std::numeric_limits<quint64>::max() - total);
    }
    return total;
}
