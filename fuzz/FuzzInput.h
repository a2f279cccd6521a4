#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

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
