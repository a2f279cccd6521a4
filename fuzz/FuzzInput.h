#pragma once

#include "core/text/TextFileReader.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

// Fuzz bytes as UTF-16 text: pairs of bytes are code units, so every text,
// lone surrogates and NUL included, can be reached.
inline QString utf16Text(const uint8_t* data, size_t size)
{
    QString text;
    text.reserve(qsizetype(size / 2));
    for (size_t i = 0; i + 1 < size; i += 2)
        text.append(QChar(char16_t(data[i] | (data[i + 1] << 8))));
    return text;
}

// The bytes as a seekable source handing them on `piece` bytes at most at a
// time; `at` is where it reads next.
inline TextFileReader::ByteSource piecewise(const QByteArray& bytes, qsizetype piece, qsizetype& at)
{
    return {[&bytes, piece, &at](char* buffer, qsizetype capacity) {
                const qsizetype n = std::min({piece, capacity, bytes.size() - at});
                std::memcpy(buffer, bytes.constData() + at, size_t(n));
                at += n;
                return n;
            },
            [&at](qint64 offset) { at = qsizetype(offset); }};
}

// The items the reader makes of a source read `chunkBytes` at a time.
inline QStringList itemsOf(const TextFileReader::ByteSource& source, qsizetype chunkBytes)
{
    QStringList items;
    TextFileReader::Reading reading;
    reading.chunkBytes = chunkBytes;
    TextFileReader::readItems(
        source, {},
        [&items](const std::vector<QStringView>& batch) {
            for (const QStringView item : batch)
                items.append(item.toString());
        },
        reading);
    return items;
}
