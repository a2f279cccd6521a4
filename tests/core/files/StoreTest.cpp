#include "core/base/Failure.h"
#include "core/files/SettingsStore.h"
#include "core/files/StoredCodeList.h"
#include "support/QtPrinters.h"
#include "support/StoredCodeListReference.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

using namespace Qt::StringLiterals;

TEST(StoredCodeList, JoinsWithTheSeparatorBetweenItemsOnly)
{
    EXPECT_EQ(StoredCodeListReference::join(QStringList{}), "");
    EXPECT_EQ(StoredCodeListReference::join(QStringList{"801927504622"}), "801927504622");
    const QString three =
        StoredCodeListReference::join(QStringList{"801927504622", "712345678904", "012345678905"});
    EXPECT_EQ(three, "801927504622||MySeparator23||712345678904||MySeparator23||012345678905");
    EXPECT_EQ(three.size(), 70);
    EXPECT_EQ(StoredCodeListReference::split(three),
              QStringList({"801927504622", "712345678904", "012345678905"}));
}

TEST(StoredCodeList, SplitDropsEmptyPiecesAndMatchesTheSeparatorExactly)
{
    EXPECT_EQ(StoredCodeListReference::split(""), QStringList());
    EXPECT_EQ(
        StoredCodeListReference::split("a||MySeparator23||||MySeparator23||b||MySeparator23||"),
        QStringList({"a", "b"}));
    EXPECT_EQ(StoredCodeListReference::split("a||myseparator23||b"),
              QStringList({"a||myseparator23||b"}));
    EXPECT_EQ(StoredCodeListReference::split(" a ||MySeparator23||  "), QStringList({" a ", "  "}));
    // An item holding the separator comes back as several items.
    const QString joined =
        StoredCodeListReference::join(QStringList{"x||MySeparator23||y", "", "z"});
    EXPECT_EQ(StoredCodeListReference::split(joined), QStringList({"x", "y", "z"}));
}

TEST(StoredCodeList, DuplicatesAndLongListsComeBackWhole)
{
    EXPECT_EQ(StoredCodeListReference::split(
                  StoredCodeListReference::join(QStringList{"a", "a", "b", "a"})),
              QStringList({"a", "a", "b", "a"}));
    // No limit at 32767 items.
    QStringList many;
    for (int i = 0; i < 40000; ++i)
        many.append(QString::number(i));
    const QStringList back = StoredCodeListReference::split(StoredCodeListReference::join(many));
    EXPECT_EQ(back.size(), 40000);
    EXPECT_EQ(back, many);
}

TEST(StoredCodeList, AnItemOfSeparatorsOrNothingLeavesNoItem)
{
    EXPECT_EQ(StoredCodeListReference::join(QStringList{""}), "");
    EXPECT_EQ(StoredCodeListReference::split(StoredCodeListReference::join(QStringList{"", ""})),
              QStringList());
    EXPECT_EQ(StoredCodeListReference::split("||MySeparator23||"), QStringList());
    EXPECT_EQ(StoredCodeListReference::split("||MySeparator23|||"), QStringList({"|"}));
    EXPECT_EQ(StoredCodeListReference::split("|||MySeparator23||"), QStringList({"|"}));
}

// Lists whose stored text is awkward to encode or to cut: nothing, empty
// items, items holding the separator or a part of it, characters of every
// UTF-8 length, surrogates without their partner at an item's either end, an
// item longer than the writer's buffer.
std::vector<QStringList> awkwardLists()
{
    const QString pair = QString::fromUtf16(u"\U0001F600");
    return {
        {},
        {""},
        {"", ""},
        {"801927504622", "712345678904", "012345678905"},
        {"x||MySeparator23||y", "", "z", "||MySeparator23", "|"},
        {u"é"_s, u"€||"_s, pair, pair + pair, u"ü"_s.repeated(40)},
        {QString(QChar(0xD800)), QString(QChar(0xDC00)) + "a", "b" + QString(QChar(0xD83D))},
        {"a" + QString(QChar(0xD83D)), QString(QChar(0xDE00)) + "b"},
        {QString(QChar(0)), " a ", QString(300, u'x'), "", u"€"_s.repeated(200)},
    };
}

TEST(StoredCodeList, StreamedBytesAreThoseOfTheJoinedText)
{
    for (const QStringList& items : awkwardLists()) {
        const QByteArray expected = StoredCodeListReference::join(items).toUtf8();
        for (const qsizetype buffer : {qsizetype(1), qsizetype(70), qsizetype(1) << 20}) {
            QByteArray streamed;
            const StoredCodeList::ByteSink sink = [&streamed](QByteArrayView bytes) {
                streamed.append(bytes);
            };
            StoredCodeList::Utf8Join join(sink, buffer);
            for (const QString& item : items)
                join.add(item);
            join.finish();
            EXPECT_EQ(streamed, expected) << items.join(",").toStdString() << " buffer " << buffer;
        }
    }
    // Through the store's streamed write, byte for byte.
    QTemporaryDir dir;
    const SettingsStore store(dir.path());
    const QStringList items = awkwardLists()[5];
    store.write("Tarnwell", "Quorvane", "UPC Codes",
                [&items](const SettingsStore::ByteSink& write) {
                    StoredCodeList::writeUtf8(items, write);
                });
    QFile file(store.pathOf("Tarnwell", "Quorvane", "UPC Codes"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), StoredCodeListReference::join(items).toUtf8());
}

// Cutting the bytes, whole or a window at a time, gives the pieces of the
// whole decoded text, wherever the windows end: malformed UTF-8 next to a
// separator, a byte-order mark, separators split between windows.
TEST(StoredCodeList, BytesCutInWindowsGiveThePiecesOfTheWholeText)
{
    std::vector<QByteArray> inputs = {
        "",
        "\xEF\xBB\xBF\x61||MySeparator23||b",     // "a" after the mark
        "a\xE2\x82||MySeparator23||\x82\x82\x62", // "b" at the end
        "\xF0\x9F\x98||MySeparator23||\xC3",
        "\xC0\xAF||MySeparator23||||MySeparator23||\xED\xA0\x80x||MySeparator23|",
        "||MySeparator23|||MySeparator23||||MySeparator23|||",
        "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xFF\xFE",
    };
    for (const QStringList& items : awkwardLists())
        inputs.push_back(StoredCodeListReference::join(items).toUtf8());
    for (const QByteArray& bytes : inputs) {
        const QStringList expected = StoredCodeListReference::split(QString::fromUtf8(bytes));
        StoredCodeList::Utf8Split cut(bytes);
        QStringList pieces;
        while (cut.next())
            for (HeldText piece : cut.pieces())
                pieces.append(piece.toString());
        EXPECT_EQ(pieces, expected) << bytes.toHex().constData();
        EXPECT_LE(pieces.size(), StoredCodeList::Utf8Split::mostPiecesIn(bytes.size()));
        // Read a window at a time, a few bytes a read.
        for (const auto& [window, reads] : std::vector<std::pair<qsizetype, qsizetype>>{
                 {34, 1}, {35, 7}, {40, 3}, {1 << 20, 1 << 20}}) {
            qsizetype at = 0;
            StoredCodeList::Utf8Windows text(
                [&](char* to, qsizetype room) {
                    const qsizetype n = std::min({room, reads, bytes.size() - at});
                    std::memcpy(to, bytes.constData() + at, size_t(n));
                    at += n;
                    return n;
                },
                window);
            QStringList pieces;
            while (text.readWindow())
                while (text.split().next())
                    for (HeldText piece : text.split().pieces())
                        pieces.append(piece.toString());
            EXPECT_EQ(pieces, expected) << bytes.toHex().constData() << " window " << window;
            EXPECT_EQ(text.bytesRead(), bytes.size());

            // A read that fails half way: the failure comes after pieces that
            // begin alike.
            at = 0;
            StoredCodeList::Utf8Windows failing(
                [&](char* to, qsizetype room) {
                    if (at >= bytes.size() / 2)
                        throw Failure(QStringLiteral("Input/output error"));
                    const qsizetype n = std::min({room, reads, bytes.size() / 2 - at});
                    std::memcpy(to, bytes.constData() + at, size_t(n));
                    at += n;
                    return n;
                },
                window);
            pieces.clear();
            bool failed = false;
            try {
                while (failing.readWindow())
                    while (failing.split().next())
                        for (HeldText piece : failing.split().pieces())
                            pieces.append(piece.toString());
            } catch (const Failure& failure) {
                failed = failure.description() == "Input/output error";
            }
            EXPECT_TRUE(failed) << bytes.toHex().constData() << " window " << window;
            EXPECT_EQ(pieces, expected.mid(0, pieces.size())) << bytes.toHex().constData();
        }
    }
}

TEST(SettingsStore, MissingValueGivesTheDefault)
{
    QTemporaryDir dir;
    const SettingsStore store(dir.path());
    EXPECT_EQ(store.read("Tarnwell", "Quorvane", "UPC Codes"), "");
    EXPECT_EQ(store.read("Tarnwell", "Quorvane", "UPC Codes", "fallback"), "fallback");
}

TEST(SettingsStore, WriteReplacesTheValueWhole)
{
    QTemporaryDir dir;
    const SettingsStore store(dir.path());
    store.write("Tarnwell", "Quorvane", "UPC Codes", "first value, rather long");
    store.write("Tarnwell", "Quorvane", "UPC Codes", QStringLiteral("\u00e9 \U0001F600 \t\r\n"));
    EXPECT_EQ(store.read("Tarnwell", "Quorvane", "UPC Codes"),
              QStringLiteral("\u00e9 \U0001F600 \t\r\n"));
    EXPECT_TRUE(QFile::exists(dir.path() + "/Tarnwell/Quorvane/UPC Codes"));
    // No temporary file is left beside the value.
    EXPECT_EQ(QDir(dir.path() + "/Tarnwell/Quorvane").entryList(QDir::Files).size(), 1);
}

TEST(SettingsStore, FailedWriteKeepsThePreviousValue)
{
    QTemporaryDir dir;
    const SettingsStore store(dir.path());
    store.write("Tarnwell", "Quorvane", "UPC Codes", "kept");
    // A plain file where the section's folder would be: nothing can be written.
    const SettingsStore blocked(dir.path() + "/Tarnwell/Quorvane/UPC Codes");
    EXPECT_THROW(blocked.write("A", "B", "C", "lost"), Failure);
    EXPECT_EQ(store.read("Tarnwell", "Quorvane", "UPC Codes"), "kept");
}

TEST(SettingsStore, KeptValuesNeverReplaceOneAnother)
{
    QTemporaryDir dir;
    const SettingsStore store(dir.path());
    EXPECT_EQ(store.keepAside("Tarnwell", "Quorvane", "UPC Codes"), ""); // nothing to keep
    store.write("Tarnwell", "Quorvane", "UPC Codes", "first");
    const QString first = store.keepAside("Tarnwell", "Quorvane", "UPC Codes");
    store.write("Tarnwell", "Quorvane", "UPC Codes", "second");
    const QString second = store.keepAside("Tarnwell", "Quorvane", "UPC Codes");
    EXPECT_NE(first, second);
    EXPECT_TRUE(first.startsWith(dir.path() + "/Tarnwell/Quorvane/UPC Codes.unread-"));
    QFile a(first), b(second);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), "first");
    EXPECT_EQ(b.readAll(), "second");
    EXPECT_EQ(store.read("Tarnwell", "Quorvane", "UPC Codes", "moved"), "moved");
}

TEST(SettingsStore, UnreadableValueFails)
{
    QTemporaryDir dir;
    const SettingsStore store(dir.path());
    QDir().mkpath(dir.path() + "/Tarnwell/Quorvane/UPC Codes"); // a folder, not a value
    EXPECT_THROW(store.read("Tarnwell", "Quorvane", "UPC Codes"), Failure);
}

} // namespace
