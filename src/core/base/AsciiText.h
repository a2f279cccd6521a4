#pragma once

#include <QLatin1StringView>

// The number of bytes before the first that is not ASCII.
qsizetype asciiPrefix(const char* bytes, qsizetype length);

inline bool isAscii(const char* bytes, qsizetype length)
{
    return asciiPrefix(bytes, length) == length;
}

// The UTF-8 bytes of Latin-1 text, written at `out` (room for twice the
// text's size): ASCII as it is, the rest in two bytes. Returns the end.
char* latin1ToUtf8(char* out, QLatin1StringView text);
