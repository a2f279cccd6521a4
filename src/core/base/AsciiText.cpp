#include "core/base/AsciiText.h"

#include <cstring>

qsizetype asciiPrefix(const char* bytes, qsizetype length)
{
    qsizetype i = 0;
    for (; i + 8 <= length; i += 8) {
        quint64 word;
        std::memcpy(&word, bytes + i, 8);
        if (word & 0x8080808080808080u)
            break;
    }
    while (i < length && static_cast<unsigned char>(bytes[i]) < 0x80)
        ++i;
    return i;
}

char* latin1ToUtf8(char* out, QLatin1StringView text)
{
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p != end) {
        // Runs of ASCII in bulk: a code is mostly one.
        const qsizetype ascii = asciiPrefix(p, end - p);
        std::memcpy(out, p, size_t(ascii));
        out += ascii;
        p += ascii;
        if (p == end)
            break;
        const auto c = static_cast<unsigned char>(*p++);
        *out++ = char(0xC0 | (c >> 6));
        *out++ = char(0x80 | (c & 0x3F));
    }
    return out;
}
