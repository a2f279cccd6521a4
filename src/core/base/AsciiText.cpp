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
    // A code is short and ASCII: copied and looked at in one go.
    const char* const in = text.data();
    const qsizetype n = text.size();
    char all = 0;
    for (qsizetype k = 0; k < n; ++k) {
        all |= in[k];
        out[k] = in[k];
    }
    if (static_cast<signed char>(all) >= 0)
        return out + n;
    const char* p = in;
    const char* const end = in + n;
    while (p != end) {
        // Runs of ASCII in bulk.
        const char* ascii = p;
        while (ascii != end && static_cast<signed char>(*ascii) >= 0)
            ++ascii;
        std::memcpy(out, p, size_t(ascii - p));
        out += ascii - p;
        p = ascii;
        if (p == end)
            break;
        const auto c = static_cast<unsigned char>(*p++);
        *out++ = char(0xC0 | (c >> 6));
        *out++ = char(0x80 | (c & 0x3F));
    }
    return out;
}
