#include "features/TextExport.h"

#include "core/base/PacedYield.h"
#include "features/Main.h"
#include "features/ResultClearing.h"
#include "support/FullDisk.h"
#include "support/OutputTestSupport.h"
#include "support/ScriptedHost.h"

#include <QSaveFile>
#include <functional>
#include <gtest/gtest.h>

namespace {

using namespace OutputTest;

const QString SaveProcedure = QStringLiteral("Main.SaveListviewProperlySpacedWithoutProgressBar");
const QString DialogLine =
    QStringLiteral("save|2621953|Save|Text Files (*.txt)|*.txt|All Files (*.*)|*.*||");

QStringList at(const QString& procedure, std::initializer_list<int> lines)
{
    QStringList places;
    for (int line : lines)
        places.append(procedure + QLatin1Char(' ') + QString::number(line));
    return places;
}

// What a folder holds, by name.
QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

class TextExportTest : public ::testing::Test
{
protected:
    ScriptedServices script;
    ScriptedHost host{script.services()};
    TempFolder out;

    // Saves a list through its button into `target`, and answers the file.
    QByteArray save(void (*button)(Host&), const QString& target)
    {
        saveOnly(button, target);
        return TempFolder::read(target);
    }
    void saveOnly(void (*button)(Host&), const QString& target)
    {
        script.saveAnswers.enqueue(target);
        button(host);
    }
    QByteArray saveValid(const QString& name = QStringLiteral("valid.txt"))
    {
        return save(&TextExport::saveValidList, out.file(name));
    }
    QByteArray saveInvalid(const QString& name = QStringLiteral("invalid.txt"))
    {
        return save(&TextExport::saveInvalidList, out.file(name));
    }

    QStringList reports() const { return reportedAt(script.errors()); }

    // Runs `action` at the save's first yield to the window.
    void atFirstYield(std::function<void()> action)
    {
        host.atYield = [action = std::move(action)](int k) {
            if (k == 1)
                action();
        };
    }
};

// The dialog -----------------------------------------------------------------------

TEST_F(TextExportTest, TheSaveDialogIsAskedWithItsFlagsTitleAndFilter)
{
    saveValid();
    EXPECT_EQ(script.logged("save"), QStringList{DialogLine.mid(5)});
}

TEST_F(TextExportTest, TheDialogOffersTheNameOfItsLastUse)
{
    const QString first = out.file("first.txt");
    save(&TextExport::saveValidList, first);
    save(&TextExport::saveInvalidList, out.file("second.txt"));
    const QStringList asked = script.logged("save");
    ASSERT_EQ(asked.size(), 2);
    EXPECT_TRUE(asked[1].endsWith("|" + first)) << asked[1].toStdString();
}

TEST_F(TextExportTest, CancellingWritesNothingAndLeavesThePointerAlone)
{
    host.SetMousePointer(PointerMode::Custom);
    host.valid.AppendItem("712345678904");
    script.saveAnswers.enqueue(QString());
    TextExport::saveValidList(host);
    EXPECT_EQ(script.log, QStringList{DialogLine});
    EXPECT_EQ(host.MousePointer(), PointerMode::Custom);
    EXPECT_TRUE(entries(out.path()).isEmpty());
    EXPECT_TRUE(script.errors().isEmpty());
}

TEST_F(TextExportTest, ThePointerIsBusyDuringTheSaveAndDefaultAfter)
{
    host.SetMousePointer(PointerMode::Custom);
    host.valid.AppendItem("712345678904");
    std::optional<PointerMode> during;
    atFirstYield([&] { during = host.MousePointer(); });
    saveValid();
    EXPECT_EQ(during, PointerMode::Hourglass);
    EXPECT_EQ(host.MousePointer(), PointerMode::Default);
}

// The file, byte for byte ----------------------------------------------------------------

TEST_F(TextExportTest, EmptyListsGiveTheHeaderLineAlone)
{
    const QByteArray valid = saveValid();
    EXPECT_EQ(valid, " Valid Codes\t\r\n");
    EXPECT_EQ(valid.size(), 15);
    const QByteArray invalid = saveInvalid();
    EXPECT_EQ(invalid, "Invalid Codes\t\r\n");
    EXPECT_EQ(invalid.size(), 16);
    EXPECT_TRUE(script.errors().isEmpty());
}

TEST_F(TextExportTest, AListWithNoCheckedItemGivesTheHeaderLineAlone)
{
    host.valid.AppendItem("712345678904");
    host.valid.AppendItem("1");
    host.valid.SetChecked(1, false);
    host.valid.SetChecked(2, false);
    EXPECT_EQ(saveValid(), " Valid Codes\t\r\n");
}

TEST_F(TextExportTest, CodesAsLongAsTheHeaderGetNoBlanks)
{
    host.valid.AppendItem("712345678904");
    host.valid.AppendItem("801927504622");
    EXPECT_EQ(saveValid(), " Valid Codes\t\r\n712345678904\t\r\n801927504622\t\r\n");
}

TEST_F(TextExportTest, TheInvalidHeaderWidensItsColumnToThirteen)
{
    host.invalid.AppendItem("279347895943");
    host.invalid.AppendItem("12345");
    EXPECT_EQ(saveInvalid(),
              "Invalid Codes\t\r\n279347895943 \t\r\n12345" + blanks(8).toLatin1() + "\t\r\n");
}

TEST_F(TextExportTest, AnUncheckedItemWidensEveryLineButIsNotWritten)
{
    host.valid.AppendItem("712345678904");
    host.valid.AppendItem("ABCDEFGHIJKLMNOPQRST");
    host.valid.AppendItem("12345");
    host.valid.SetChecked(2, false);
    const QByteArray pad = blanks(8).toLatin1();
    EXPECT_EQ(saveValid(), " Valid Codes" + pad + "\t\r\n712345678904" + pad + "\t\r\n12345" + pad +
                               "       \t\r\n");
}

TEST_F(TextExportTest, TextsAreWrittenAsTheyStandWithoutTrimmingOrQuoting)
{
    host.valid.AppendItem(" 7123-4567 8904 ");
    host.valid.AppendItem("a\tb");
    host.valid.AppendItem("");
    host.valid.AppendItem("caf\u00e9");
    EXPECT_EQ(saveValid(), " Valid Codes    \t\r\n"
                           " 7123-4567 8904 \t\r\n"
                           "a\tb" +
                               blanks(13).toLatin1() + "\t\r\n" + blanks(16).toLatin1() + "\t\r\n" +
                               systemBytes("caf\u00e9" + blanks(12)) + "\t\r\n");
}

TEST_F(TextExportTest, AnExistingFileIsReplacedAndANameWithoutExtensionKeptAsItIs)
{
    const QString target = out.write("results", "an older and much longer content\r\n");
    host.valid.AppendItem("712345678904");
    EXPECT_EQ(save(&TextExport::saveValidList, target), " Valid Codes\t\r\n712345678904\t\r\n");
    EXPECT_EQ(entries(out.path()), QStringList{"results"});
}

// Files that cannot be written ------------------------------------------------------

TEST_F(TextExportTest, AFolderThatDoesNotExistIsReportedOnceAndTheSaveEnds)
{
    for (int i = 0; i < 50; ++i)
        host.valid.AppendItem("712345678904");
    saveValid("no such folder/valid.txt");
    EXPECT_EQ(reports(), at(SaveProcedure, {136}));
    EXPECT_EQ(descriptions(script.errors()), QStringList{"No such file or directory"});
    EXPECT_EQ(host.MousePointer(), PointerMode::Default);
    EXPECT_TRUE(entries(out.path()).isEmpty());
}

TEST_F(TextExportTest, AFolderNobodyMayWriteInIsReportedOnce)
{
    if (!QFileInfo(QStringLiteral("/proc/self")).exists())
        GTEST_SKIP() << "no /proc";
    host.valid.AppendItem("712345678904");
    saveOnly(&TextExport::saveValidList, QStringLiteral("/proc/quorvane-valid.txt"));
    EXPECT_EQ(reports(), at(SaveProcedure, {136}));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/proc/quorvane-valid.txt")));
}

TEST_F(TextExportTest, AReadOnlyFileIsReportedOnceAndLeftAsItWas)
{
    const QString target = out.write("locked.txt", "keep me\r\n");
    ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadGroup));
    for (int i = 0; i < 5; ++i)
        host.invalid.AppendItem("12345");
    save(&TextExport::saveInvalidList, target);
    EXPECT_EQ(reports(), at(SaveProcedure, {136}));
    EXPECT_EQ(descriptions(script.errors()), QStringList{"Permission denied"});
    EXPECT_EQ(TempFolder::read(target), "keep me\r\n");
    EXPECT_EQ(entries(out.path()), QStringList{"locked.txt"});
    EXPECT_EQ(host.MousePointer(), PointerMode::Default);
}

TEST_F(TextExportTest, ADiskFilledPartWayIsReportedOnceAndKeepsTheOldFile)
{
    const QString target = out.write("valid.txt", "the old results\r\n");
    for (int i = 0; i < 20'000; ++i)
        host.valid.AppendItem("712345678904");
    PacedYield noWindow([] {}, 0);
    Main::SaveListviewProperlySpacedWithoutProgressBar(host.valid, target, script, noWindow,
                                                       fullDisk(100'000));
    EXPECT_EQ(reports(), at(SaveProcedure, {180}));
    EXPECT_EQ(descriptions(script.errors()), QStringList{"No space left on device"});
    EXPECT_EQ(TempFolder::read(target), "the old results\r\n");
    EXPECT_EQ(entries(out.path()), QStringList{"valid.txt"});
}

TEST_F(TextExportTest, ADiskFilledAtTheEndIsReportedAtCloseAndKeepsTheOldFile)
{
    const QString target = out.write("valid.txt", "the old results\r\n");
    host.valid.AppendItem("712345678904");
    PacedYield noWindow([] {}, 0);
    Main::SaveListviewProperlySpacedWithoutProgressBar(host.valid, target, script, noWindow,
                                                       fullDisk(20));
    EXPECT_EQ(reports(), at(SaveProcedure, {184}));
    EXPECT_EQ(TempFolder::read(target), "the old results\r\n");
    EXPECT_EQ(entries(out.path()), QStringList{"valid.txt"});
}

// Yielding, and lists that change meanwhile ---------------------------------------------

class ListDuringSave : public ::testing::Test
{
protected:
    ScriptedServices script;
    ListModel list;
    TempFolder out;
    QString path = out.file("out.txt");
    int yields = 0;
    // Runs at a given yield (numbered from 1).
    std::function<void(int)> atYield = [](int) {};

    QByteArray save()
    {
        PacedYield everyCall([this] { atYield(++yields); }, 0);
        Main::SaveListviewProperlySpacedWithoutProgressBar(list, path, script, everyCall);
        return TempFolder::read(path);
    }
};

TEST_F(ListDuringSave, YieldsOncePerMeasuredCellHeaderCellItemAndWrittenCell)
{
    fill(list, {{"A", "B"}, {{{"1", "2"}}, {{"3", "4"}, false}, {{"5", "6"}}}});
    save();
    // 2 columns x 3 items measured, 2 header cells, 3 items, 2 x 2 written.
    EXPECT_EQ(yields, 6 + 2 + 3 + 4);
}

TEST_F(ListDuringSave, CellsAreReadAtTheirStepNotCopiedBeforehand)
{
    fill(list, {{"Codes"}, {{{"1"}}, {{"2"}}, {{"3"}}}});
    // Yields: 3 measuring, 1 header; then item 1 (2 yields), item 2, ...
    atYield = [&](int n) {
        if (n == 5)
            list.SetChecked(2, false); // before item 2 is looked at
        if (n == 6)
            list.SetChecked(3, true);
    };
    list.SetChecked(3, false);
    EXPECT_EQ(save(), "Codes\t\r\n1    \t\r\n3    \t\r\n");
}

TEST_F(ListDuringSave, TextsGrownSinceTheWidthsWereTakenAreWrittenWithoutBlanks)
{
    fill(list, {{" Valid Codes"}, {{{"1"}}, {{"22"}}}});
    // Yields: 2 measuring, 1 header. At the first item's yield, after the
    // item count was taken, the list is refilled with other texts.
    atYield = [&](int n) {
        if (n != 4)
            return;
        list.Clear();
        list.AppendItem("ABCDEFGHIJKLMNOPQ");
        list.AppendItem("x");
        list.AppendItem("never reached: the item count was taken before");
    };
    EXPECT_EQ(save(),
              " Valid Codes\t\r\nABCDEFGHIJKLMNOPQ\t\r\nx" + blanks(11).toLatin1() + "\t\r\n");
    EXPECT_TRUE(script.errors().isEmpty());
}

// A cleared or shortened list: the first item that is gone is reported, and
// the save ends as it always does, with the lines written before it.
TEST_F(ListDuringSave, AnItemThatVanishedIsReportedOnceAndEndsTheSave)
{
    const struct
    {
        int clearedAt; // the yield at which the list is cleared
        int line;      // the one report's
        QByteArray file;
    } cases[] = {
        // Yields: 3 + 3 measuring, 2 header; item 1: 1 + 2; item 2: 1 + 2.
        {1, 116, "A\tB\t\r\n"},
        {5, 120, "A  \tB \t\r\n"},
        {12, 158, "A  \tB \t\r\n1  \t22\t\r\n"},
        {13, 166, "A  \tB \t\r\n1  \t22\t\r\n"},
        {14, 172, "A  \tB \t\r\n1  \t22\t\r\n"},
    };
    list.AddColumnHeader("A");
    list.AddColumnHeader("B");
    for (const auto& c : cases) {
        script.log.clear();
        yields = 0;
        list.Clear();
        list.AppendItem("1", {"22"});
        list.AppendItem("333", {"4"});
        list.AppendItem("5", {"6"});
        atYield = [&](int n) {
            if (n == c.clearedAt)
                list.Clear();
        };
        EXPECT_EQ(save(), c.file) << "cleared at " << c.clearedAt;
        EXPECT_EQ(reportedAt(script.errors()), at(SaveProcedure, {c.line}));
        EXPECT_EQ(descriptions(script.errors()), QStringList{"Index out of bounds"});
    }
}

TEST_F(TextExportTest, AResultListClearedDuringASaveThroughItsButtonIsReported)
{
    for (const char* code : {"712345678904", "801927504622", "12345"})
        host.valid.AppendItem(code);
    // "Clear Results" is clicked while the save yields, busy pointer or not.
    std::optional<PointerMode> pointerThen;
    atFirstYield([&] {
        pointerThen = host.MousePointer();
        ResultClearing::clearValidList(host);
    });
    EXPECT_EQ(saveValid(), " Valid Codes\t\r\n");
    EXPECT_EQ(pointerThen, PointerMode::Hourglass);
    EXPECT_EQ(host.valid.ItemCount(), 0);
    EXPECT_EQ(reports(), at(SaveProcedure, {116}));
    EXPECT_EQ(host.MousePointer(), PointerMode::Default);
}

} // namespace
