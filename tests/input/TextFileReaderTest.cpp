#include "input/TextFileReader.h"

#include "shell/Failure.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

QStringList itemsOfText(QStringView text)
{
    QStringList items;
    TextFileReader::LineSplitter splitter([&items](QString&& item) { items.append(item); });
    splitter.feed(text);
    splitter.finish();
    return items;
}

// The items of bytes handed over `step` bytes at a time.
QStringList itemsOfBytes(const QByteArray& bytes, qsizetype step = TextFileReader::ChunkBytes)
{
    QStringList items;
    qsizetype at = 0;
    TextFileReader::readItems(
        [&](char* buffer, qsizetype size) {
            const qsizetype n = std::min({size, step, bytes.size() - at});
            std::memcpy(buffer, bytes.constData() + at, size_t(n));
            at += n;
            return n;
        },
        [&items](QString&& item) { items.append(item); });
    return items;
}

class TextFileReaderTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;

    QString write(const QString& name, const QByteArray& bytes)
    {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    static QStringList itemsOfFile(const QString& path)
    {
        QStringList items;
        TextFileReader::readItems(path, [&items](QString&& item) { items.append(item); });
        return items;
    }
};

TEST(LineSplitter, CrLfCrAndLfEachSeparateItems)
{
    EXPECT_EQ(itemsOfText(u"a\r\nb\r\nc\r\n"), QStringList({"a", "b", "c"}));
    EXPECT_EQ(itemsOfText(u"a\rb\rc\r"), QStringList({"a", "b", "c"}));
    EXPECT_EQ(itemsOfText(u"a\nb\nc"), QStringList({"a", "b", "c"}));
    EXPECT_EQ(itemsOfText(u"a\r\nb"), QStringList({"a", "b"}));
    EXPECT_EQ(itemsOfText(u"a\rb\nc\r\nd"), QStringList({"a", "b", "c", "d"}));
}

TEST(LineSplitter, FinalLineFeedGivesOneMoreEmptyItemButFinalCrDoesNot)
{
    EXPECT_EQ(itemsOfText(u"a\nb\n"), QStringList({"a", "b", ""}));
    EXPECT_EQ(itemsOfText(u"a\r\nb\r\n"), QStringList({"a", "b"}));
    EXPECT_EQ(itemsOfText(u"a\rb\r"), QStringList({"a", "b"}));
    EXPECT_EQ(itemsOfText(u"\n"), QStringList({"", ""}));
    EXPECT_EQ(itemsOfText(u"a\r\n\n"), QStringList({"a", "", ""}));
}

TEST(LineSplitter, EmptyTextGivesNothingAndEmptyLinesGiveEmptyItems)
{
    EXPECT_EQ(itemsOfText(u""), QStringList());
    EXPECT_EQ(itemsOfText(u"\r\n"), QStringList({""}));
    EXPECT_EQ(itemsOfText(u"\r"), QStringList({""}));
    EXPECT_EQ(itemsOfText(u"a\r\n\r\nb"), QStringList({"a", "", "b"}));
    // A LF before a CR is no pair: two separators.
    EXPECT_EQ(itemsOfText(u"a\n\rb"), QStringList({"a", "", "b"}));
    EXPECT_EQ(itemsOfText(u"\r\r"), QStringList({"", ""}));
}

TEST(LineSplitter, NothingIsTrimmedOrFiltered)
{
    EXPECT_EQ(itemsOfText(u" 0-12345-67890-5 \t\r\n012345678905\r\n012345678905"),
              QStringList({" 0-12345-67890-5 \t", "012345678905", "012345678905"}));
    const QString withNul = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    EXPECT_EQ(itemsOfText(QString(withNul + "\r\n")), QStringList({withNul}));
}

TEST(LineSplitter, PiecesGiveTheSameItemsWhereverTheTextIsCut)
{
    const QString text = QStringLiteral("ab\r\ncd\r\re\n\nf\r\n\r\ng\n");
    const QStringList whole = itemsOfText(text);
    ASSERT_EQ(whole, QStringList({"ab", "cd", "", "e", "", "f", "", "g", ""}));
    for (qsizetype cut = 0; cut <= text.size(); ++cut) {
        for (qsizetype second = cut; second <= text.size(); ++second) {
            QStringList items;
            TextFileReader::LineSplitter splitter([&items](QString&& item) { items.append(item); });
            splitter.feed(QStringView(text).first(cut));
            splitter.feed(QStringView(text).sliced(cut, second - cut));
            splitter.feed(QStringView(text).sliced(second));
            splitter.finish();
            EXPECT_EQ(items, whole) << "cut at " << cut << " and " << second;
        }
    }
}

TEST(ReadItems, DecodesUtf8AndDropsTheByteOrderMarkAtTheStartOnly)
{
    EXPECT_EQ(itemsOfBytes("\xEF\xBB\xBF"
                           "012345678905\r\nb"),
              QStringList({"012345678905", "b"}));
    EXPECT_EQ(itemsOfBytes("a\r\n\xEF\xBB\xBF"
                           "b"),
              QStringList({"a", QStringLiteral("\uFEFFb")}));
    EXPECT_EQ(itemsOfBytes("\xEF\xBB\xBF"), QStringList());
    EXPECT_EQ(itemsOfBytes("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\r\n"),
              QStringList({QStringLiteral("caf\u00E9 \u20AC \U0001F600")}));
}

TEST(ReadItems, BytesCutAnywhereGiveTheSameItems)
{
    const QByteArray bytes = "\xEF\xBB\xBF"
                             "a\xC3\xA9\r\n\xF0\x9F\x98\x80\rb\n\r\nc\n";
    const QStringList whole = itemsOfBytes(bytes);
    EXPECT_EQ(whole, QStringList({QStringLiteral("a\u00E9"), QStringLiteral("\U0001F600"), "b", "",
                                  "c", ""}));
    for (qsizetype step = 1; step < 6; ++step)
        EXPECT_EQ(itemsOfBytes(bytes, step), whole) << "step " << step;
}

TEST(ReadItems, BytesThatAreNoTextBecomeReplacementCharacters)
{
    const QStringList items = itemsOfBytes(QByteArray("\xFF\xFE\x00x\r\n\x80", 7));
    ASSERT_EQ(items.size(), 2);
    EXPECT_TRUE(items[0].startsWith(QChar(QChar::ReplacementCharacter)));
    EXPECT_TRUE(items[0].endsWith(QString(QChar(0)) + "x")) << items[0].size();
    EXPECT_EQ(items[1], QString(QChar(QChar::ReplacementCharacter)));
    // A character cut off by the end of the file.
    EXPECT_EQ(itemsOfBytes("a\xE2\x82"), QStringList({QStringLiteral("a\uFFFD")}));
}

TEST(ReadItems, AFailingReadKeepsTheItemsBeforeIt)
{
    QStringList items;
    int calls = 0;
    EXPECT_THROW(TextFileReader::readItems(
                     [&calls](char* buffer, qsizetype) -> qsizetype {
                         if (++calls > 1)
                             throw Failure("Input/output error");
                         std::memcpy(buffer, "a\r\nb\r\nc", 7);
                         return 7;
                     },
                     [&items](QString&& item) { items.append(item); }),
                 Failure);
    EXPECT_EQ(items, QStringList({"a", "b"}));
}

TEST_F(TextFileReaderTest, ReadsAFileWithItsLineRules)
{
    EXPECT_EQ(itemsOfFile(write("crlf.txt", "801927504622\r\n012345678905\r\n712345678904\r\n")),
              QStringList({"801927504622", "012345678905", "712345678904"}));
    EXPECT_EQ(itemsOfFile(write("lf.txt", "801927504622\n012345678905\n")),
              QStringList({"801927504622", "012345678905", ""}));
    EXPECT_EQ(itemsOfFile(write("empty.txt", "")), QStringList());
}

TEST_F(TextFileReaderTest, ALineLongerThanAPieceStaysWhole)
{
    QByteArray line(TextFileReader::ChunkBytes * 2 + 12345, '7');
    line[TextFileReader::ChunkBytes - 1] = '\xC3'; // a two-byte character cut by a piece
    line[TextFileReader::ChunkBytes] = '\xA9';
    const QStringList items = itemsOfFile(write("long.txt", "first\r\n" + line + "\r\nlast"));
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[1].size(), line.size() - 1);
    EXPECT_EQ(items[1].at(TextFileReader::ChunkBytes - 1), QChar(0xE9));
    EXPECT_EQ(items[2], "last");
}

TEST_F(TextFileReaderTest, WhatCannotBeReadFailsWithTheSystemsDescription)
{
    const QString folder = dir.filePath("folder.txt");
    ASSERT_TRUE(QDir().mkpath(folder));
    try {
        itemsOfFile(folder);
        ADD_FAILURE() << "a folder was read";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.description(), QString::fromLocal8Bit(std::strerror(EISDIR)));
    }
    EXPECT_THROW(itemsOfFile(dir.filePath("missing.txt")), Failure);
    // A name inside a plain file: fails for every user, root included.
    EXPECT_THROW(itemsOfFile(write("plain.txt", "x") + "/inner.txt"), Failure);
}

TEST_F(TextFileReaderTest, AReadErrorAfterOpeningFails)
{
    // This process's own memory at address 0 opens, but cannot be read.
    EXPECT_THROW(itemsOfFile("/proc/self/mem"), Failure);
}

TEST_F(TextFileReaderTest, PipesAndDevicesAreRefusedWithoutWaitingOrReadingForever)
{
    const QString pipe = dir.filePath("pipe.txt");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    try {
        itemsOfFile(pipe); // no writer: reading would wait for ever
        ADD_FAILURE() << "a pipe was read";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.description(), "Not a regular file");
    }
    EXPECT_THROW(itemsOfFile("/dev/zero"), Failure); // would never end
}

} // namespace
