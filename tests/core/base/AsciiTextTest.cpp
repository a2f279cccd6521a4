#include "core/base/AsciiText.h"

#include <QByteArray>
#include <QString>
#include <gtest/gtest.h>

// Every length up to a few words, with one byte of Latin-1 in each place or
// none: the ASCII prefix is where that byte stands, and the UTF-8 is Qt's.
TEST(AsciiText, PrefixAndUtf8AtEveryLengthAndPlace)
{
    for (int length = 0; length <= 40; ++length) {
        for (int at = -1; at < length; ++at) {
            QByteArray bytes(length, 'a');
            if (at >= 0)
                bytes[at] = '\xE9';
            EXPECT_EQ(asciiPrefix(bytes.constData(), length), at < 0 ? length : at)
                << length << " " << at;
            QByteArray utf8(2 * qsizetype(length), Qt::Uninitialized);
            const char* end = latin1ToUtf8(utf8.data(), QLatin1StringView(bytes));
            utf8.truncate(end - utf8.constData());
            EXPECT_EQ(utf8, QString::fromLatin1(bytes).toUtf8());
        }
    }
}
