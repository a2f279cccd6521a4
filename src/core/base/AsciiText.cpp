#include "core/base/AsciiText.h"

#include <cstring>

namespace {

constexpr quint64 HighBits = 0x8080808080808080u;

bool wordIsAscii(const char* bytes)
{
    quint64 word;
    std::memcpy(&word, bytes, 8);
    return (word & HighBits) == 0;
}

} // namespace

qsizetype asciiPrefix(const char* bytes, qsizetype length)
{
    qsizetype i = 0;
    while (i + 8 <= length && wordIsAscii(bytes + i))
        i += 8;
    // The last eight bytes, read again where they overlap, settle a short
    // rest without a byte at a time (most lines are short).
    if (i < length && i + 8 > length && length >= 8 && wordIsAscii(bytes + length - 8))
        return length;
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
