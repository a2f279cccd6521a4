#include "shell/Failure.h"
#include "shell/SettingsStore.h"
#include "shell/StoredCodeList.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(StoredCodeList, JoinsWithTheSeparatorBetweenItemsOnly)
{
    EXPECT_EQ(StoredCodeList::join(QStringList{}), "");
    EXPECT_EQ(StoredCodeList::join(QStringList{"801927504622"}), "801927504622");
    const QString three =
        StoredCodeList::join(QStringList{"801927504622", "712345678904", "012345678905"});
    EXPECT_EQ(three, "801927504622||MySeparator23||712345678904||MySeparator23||012345678905");
    EXPECT_EQ(three.size(), 70);
    EXPECT_EQ(StoredCodeList::split(three),
              QStringList({"801927504622", "712345678904", "012345678905"}));
}

TEST(StoredCodeList, SplitDropsEmptyPiecesAndMatchesTheSeparatorExactly)
{
    EXPECT_EQ(StoredCodeList::split(""), QStringList());
    EXPECT_EQ(StoredCodeList::split("a||MySeparator23||||MySeparator23||b||MySeparator23||"),
              QStringList({"a", "b"}));
    EXPECT_EQ(StoredCodeList::split("a||myseparator23||b"), QStringList({"a||myseparator23||b"}));
    EXPECT_EQ(StoredCodeList::split(" a ||MySeparator23||  "), QStringList({" a ", "  "}));
    // An item holding the separator comes back as several items.
    const QString joined = StoredCodeList::join(QStringList{"x||MySeparator23||y", "", "z"});
    EXPECT_EQ(StoredCodeList::split(joined), QStringList({"x", "y", "z"}));
}

TEST(StoredCodeList, DuplicatesAndLongListsComeBackWhole)
{
    EXPECT_EQ(StoredCodeList::split(StoredCodeList::join(QStringList{"a", "a", "b", "a"})),
              QStringList({"a", "a", "b", "a"}));
    // No limit at 32767 items.
    QStringList many;
    for (int i = 0; i < 40000; ++i)
        many.append(QString::number(i));
    const QStringList back = StoredCodeList::split(StoredCodeList::join(many));
    EXPECT_EQ(back.size(), 40000);
    EXPECT_EQ(back, many);
}

TEST(StoredCodeList, AnItemOfSeparatorsOrNothingLeavesNoItem)
{
    EXPECT_EQ(StoredCodeList::join(QStringList{""}), "");
    EXPECT_EQ(StoredCodeList::split(StoredCodeList::join(QStringList{"", ""})), QStringList());
    EXPECT_EQ(StoredCodeList::split("||MySeparator23||"), QStringList());
    EXPECT_EQ(StoredCodeList::split("||MySeparator23|||"), QStringList({"|"}));
    EXPECT_EQ(StoredCodeList::split("|||MySeparator23||"), QStringList({"|"}));
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
