#include "core/text/TextFileReader.h"

#include "core/base/Failure.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using namespace Qt::StringLiterals;

// A sink that appends the items to `items`.
TextFileReader::BatchSink appendTo(QStringList& items)
{
    return [&items](const std::vector<QStringView>& batch) {
        for (const QStringView item : batch)
            items.append(item.toString());
    };
}

QStringList itemsOfText(QStringView text)
{
    QStringList items;
    TextFileReader::LineSplitter splitter(appendTo(items));
    splitter.feed(text);
    splitter.finish();
    return items;
}

// The items of bytes handed over `step` bytes at a time.
QStringList itemsOfBytes(const QByteArray& bytes, qsizetype step = TextFileReader::ChunkBytes)
{
    QStringList items;
    qsizetype at = 0;
    TextFileReader::readItems({[&](char* buffer, qsizetype size) {
                                   const qsizetype n = std::min({size, step, bytes.size() - at});
                                   std::memcpy(buffer, bytes.constData() + at, size_t(n));
                                   at += n;
                                   return n;
                               },
                               [&](qint64 offset) { at = qsizetype(offset); }},
                              {}, appendTo(items), TextFileReader::Reading());
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
            TextFileReader::LineSplitter splitter(appendTo(items));
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

// Valid UTF-8 is read as UTF-8, anything else as Windows-1252, a file with a
// UTF-16 mark as UTF-16; whatever the size of the reads.
TEST(ReadItems, TheEncodingFollowsTheBytes)
{
    const struct
    {
        QByteArray bytes;
        QStringList items;
    } cases[] = {
        {"caf\xC3\xA9\r\n", {u"caf\u00E9"_s}},
        {"caf\xE9"
         "12\r\n\xDC\xEF?",
         {u"caf\u00E912"_s, u"\u00DC\u00EF?"_s}},
        // A file valid up to its last byte, whose items before it are not ASCII.
        {"\xC3\xA9\r\n\xE2\x82\xAC\r\n\xE9",
         {u"\u00C3\u00A9"_s, u"\u00E2\u201A\u00AC"_s, u"\u00E9"_s}},
        {"a\xE2\x82", {u"a\u00E2\u201A"_s}}, // a character cut off at the end
        {"\xC0\xAF\xED\xA0\x80", {u"\u00C0\u00AF\u00ED\u00A0\u20AC"_s}}, // overlong, surrogate
        // 0x80 to 0x9F; the five undefined bytes keep their number.
        {"\x80\x81\x8D\x8F\x90\x9D\x99\x9F\xFF",
         {u"\u20AC\u0081\u008D\u008F\u0090\u009D\u2122\u0178\u00FF"_s}},
        // A UTF-8 mark makes the file UTF-8 whatever follows.
        {"\xEF\xBB\xBF"
         "a\xE9\r\n",
         {u"a\uFFFD"_s}},
        {QByteArray("\xFF\xFE"
                    "c\0\xE9\0\r\0\n\0\x3D\xD8\x00\xDE\n\0",
                    16),
         {u"c\u00E9"_s, u"\U0001F600"_s, u""_s}},
        {QByteArray("\xFE\xFF\0c\0\xE9\xFE\xFF", 8), {u"c\u00E9\uFEFF"_s}},
        {"\xFF\xFE", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(itemsOfBytes(c.bytes), c.items) << c.bytes.toHex(' ').constData();
        for (qsizetype step = 1; step < 6; ++step)
            EXPECT_EQ(itemsOfBytes(c.bytes, step), c.items)
                << c.bytes.toHex(' ').constData() << " step " << step;
    }
}

TEST(ReadItems, AFailingReadKeepsTheItemsBeforeIt)
{
    QStringList items;
    int calls = 0;
    EXPECT_THROW(TextFileReader::readItems({[&calls](char* buffer, qsizetype) -> qsizetype {
                                                if (++calls > 1)
                                                    throw Failure("Input/output error");
                                                std::memcpy(buffer, "a\r\nb\r\nc", 7);
                                                return 7;
                                            },
                                            {}},
                                           {}, appendTo(items), TextFileReader::Reading()),
                 Failure);
    EXPECT_EQ(items, QStringList({"a", "b"}));
}

// The items of bytes read with the ASCII lines handed on as bytes: "a:" marks
// those, "t:" the decoded ones. Without `seekable`, the source streams.
QStringList splitItems(const QByteArray& bytes, bool seekable, qsizetype step,
                       qsizetype longest = 0)
{
    QStringList items;
    qsizetype at = 0;
    TextFileReader::ByteSource source;
    source.read = [&](char* buffer, qsizetype size) {
        const qsizetype n = std::min({size, step, bytes.size() - at});
        std::memcpy(buffer, bytes.constData() + at, size_t(n));
        at += n;
        return n;
    };
    if (seekable)
        source.seek = [&](qint64 offset) { at = qsizetype(offset); };
    TextFileReader::Reading reading;
    reading.chunkBytes = 8;
    reading.longestLine = longest;
    TextFileReader::readItems(
        source,
        [&](const std::vector<QLatin1StringView>& batch) {
            for (const QLatin1StringView item : batch)
                items.append("a:" + QString(item));
        },
        [&](const std::vector<QStringView>& batch) {
            for (const QStringView item : batch)
                items.append("t:" + item.toString());
        },
        reading);
    return items;
}

// A file: its ASCII lines up to the first other byte come as bytes; the rest,
// when it is valid UTF-8 without a mark, as a stream's, else as the window
// reads it. A stream: every ASCII line as bytes, each other line UTF-8 until
// one is not, then Windows-1252.
TEST(ReadItems, AsciiLinesComeAsBytesAndAStreamSettlesLineByLine)
{
    const struct
    {
        QByteArray bytes;
        QStringList file, stream;
    } cases[] = {
        {"a\r\nb\nc\xC3\xA9\r\nd",
         {"a:a", "a:b", u"t:c\u00E9"_s, "a:d"},
         {"a:a", "a:b", u"t:c\u00E9"_s, "a:d"}},
        {"\xC3\xA9\nx\xE9\n\xC3\xA9\nz\n",
         {u"t:\u00C3\u00A9"_s, u"t:x\u00E9"_s, u"t:\u00C3\u00A9"_s, "t:z", "t:"},
         {u"t:\u00E9"_s, u"t:x\u00E9"_s, u"t:\u00C3\u00A9"_s, "a:z", "a:"}},
        {"\xEF\xBB\xBF"
         "a\xE9\r\n",
         {u"t:a\uFFFD"_s},
         {u"t:a\uFFFD"_s}},
        {QByteArray("\xFF\xFE"
                    "c\0\r\0",
                    6),
         {"t:c"},
         {"t:c"}},
    };
    for (const auto& c : cases) {
        for (qsizetype step = 1; step < 9; ++step) {
            EXPECT_EQ(splitItems(c.bytes, true, step), c.file)
                << c.bytes.toHex(' ').constData() << " step " << step;
            EXPECT_EQ(splitItems(c.bytes, false, step), c.stream)
                << c.bytes.toHex(' ').constData() << " step " << step;
        }
    }
}

TEST(ReadItems, ALineBeyondTheBoundFailsWithItsNumber)
{
    for (const QByteArray& bytes : {QByteArray("12345\nabcdef\n"),
                                    QByteArray("12345\n\xC3\xA9\xC3\xA9\xC3\xA9"
                                               "abcd"),
                                    QByteArray("\xFF\xFE"
                                               "1\0\n\0a\0b\0c\0d\0e\0f\0",
                                               18)}) {
        for (const bool seekable : {true, false}) {
            try {
                splitItems(bytes, seekable, 3, 5);
                ADD_FAILURE() << "no failure: " << bytes.toHex(' ').constData();
            } catch (const Failure& failure) {
                EXPECT_EQ(failure.description(), "line 2 is longer than 5 characters");
            }
        }
    }
}

// The items handed on when `betweenPieces` runs, read 4 bytes at a time.
QStringList itemsBetweenPieces(const QByteArray& bytes)
{
    QStringList items, seen;
    qsizetype at = 0;
    TextFileReader::Reading reading;
    reading.chunkBytes = 4;
    reading.betweenPieces = [&] { seen.append(items.join('|')); };
    TextFileReader::readItems(
        {[&](char* buffer, qsizetype size) {
             const qsizetype n = std::min(size, bytes.size() - at);
             std::memcpy(buffer, bytes.constData() + at, size_t(n));
             at += n;
             return n;
         },
         {}},
        {},
        [&](const std::vector<QStringView>& batch) {
            for (const QStringView item : batch)
                items.append(item.toString());
        },
        reading);
    return seen;
}

TEST(ReadItems, BetweenPiecesRunsAfterEachFullPieceWithItsItemsHandedOn)
{
    EXPECT_EQ(itemsBetweenPieces("a\r\nbc\r\nd"), QStringList({"a", "a|bc"}));
    EXPECT_EQ(itemsBetweenPieces("a\r\n"), QStringList());
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

TEST_F(TextFileReaderTest, AnInvalidByteAfterManyPiecesOfUtf8MakesTheWholeFileWindows1252)
{
    QByteArray bytes;
    while (bytes.size() < TextFileReader::ChunkBytes * 2)
        bytes += "caf\xC3\xA9\r\n";
    const QStringList items = itemsOfFile(write("late.txt", bytes + "caf\xE9"));
    ASSERT_EQ(items.size(), bytes.size() / 7 + 1);
    EXPECT_EQ(items.first(), u"caf\u00C3\u00A9"_s);
    EXPECT_EQ(items.last(), u"caf\u00E9"_s);
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
