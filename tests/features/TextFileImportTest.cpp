#include "features/TextFileImport.h"

#include "core/text/TextFileReader.h"
#include "features/CodeListEditing.h"
#include "features/Main.h"
#include "features/ValidationRun.h"
#include "support/ListItems.h"
#include "support/ScriptedHost.h"

#include <QDir>
#include <cerrno>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>

namespace {

const QString OpenDialog = "open|2621953|Load List(s) - Hold Ctrl to select multiple list "
                           "files|Text Files (*.txt)|*.txt|All Files (*.*)|*.*||";
const QString NotFound = "message|Quorvane|File not found";

QString errorAt(const QString& description, int line)
{
    return description + "\r\nin Lintorak2021/08/31.Form1.PushButton3_Click at line " +
           QString::number(line) +
           "\r\rPlease email screenshot of this message to "
           "support@tarnwell.example";
}

class TextFileImportTest : public ::testing::Test
{
protected:
    ScriptedServices script;
    TempFolder files;
    ScriptedHost host{script.services()};

    // Picks the answer in the dialog and clicks "Load UPCs From Text File".
    QStringList import(const QString& answer, const TextFileImport::Limits& limits = {})
    {
        script.openAnswers.enqueue(answer);
        TextFileImport::loadCodesFromTextFiles(host, limits);
        EXPECT_EQ(host.MousePointer(), PointerMode::Default);
        return itemsOf(host.codes);
    }

    static QString several(const QString& folder, const QStringList& names)
    {
        return folder + QChar(0) + names.join(QChar(0));
    }

    static QString isADirectory() { return QString::fromLocal8Bit(std::strerror(EISDIR)); }
};

TEST_F(TextFileImportTest, OpensTheDialogWithItsSettingsEveryTime)
{
    const QString path = files.write("codes.txt", "801927504622\r\n");
    import(path);
    import(QString()); // cancelled
    EXPECT_EQ(script.log, QStringList({OpenDialog, OpenDialog}));
    EXPECT_EQ(host.fileDialog().FileName, "");
}

TEST_F(TextFileImportTest, CancellingChangesNothing)
{
    host.codes.AppendItem("kept");
    host.SetMousePointer(PointerMode::Custom);
    script.openAnswers.enqueue(QString());
    TextFileImport::loadCodesFromTextFiles(host);
    EXPECT_EQ(itemsOf(host.codes), QStringList({"kept"}));
    EXPECT_EQ(host.MousePointer(), PointerMode::Custom);
    EXPECT_EQ(script.log, QStringList({OpenDialog}));
}

TEST_F(TextFileImportTest, OneFileOfCrLfLinesAddsEachLineInOrder)
{
    host.codes.AppendItem("already there");
    EXPECT_EQ(import(files.write("codes.txt", "801927504622\r\n012345678905\r\n712345678904\r\n")),
              QStringList({"already there", "801927504622", "012345678905", "712345678904"}));
    EXPECT_EQ(script.log, QStringList({OpenDialog}));
}

TEST_F(TextFileImportTest, LineFeedAndCarriageReturnFiles)
{
    EXPECT_EQ(import(files.write("lf.txt", "801927504622\n012345678905\n")),
              QStringList({"801927504622", "012345678905", ""}));
    host.codes.Clear();
    EXPECT_EQ(import(files.write("cr.txt", "801927504622\r012345678905\r")),
              QStringList({"801927504622", "012345678905"}));
}

TEST_F(TextFileImportTest, EmptyFileAddsNothingAndAnEmptyLineAddsAnEmptyItem)
{
    EXPECT_EQ(import(files.write("empty.txt", "")), QStringList());
    EXPECT_EQ(import(files.write("one empty line.txt", "\r\n")), QStringList({""}));
    EXPECT_TRUE(script.errors().isEmpty());
}

TEST_F(TextFileImportTest, LinesAreKeptAsTheyStandAndTheByteOrderMarkIsDropped)
{
    EXPECT_EQ(import(files.write("codes.txt", "\xEF\xBB\xBF 012345678905\r\n0-12345-67890-5\t\r\n"
                                              "012345678905\r\nno code\r\n")),
              QStringList({" 012345678905", "0-12345-67890-5\t", "012345678905", "no code"}));
}

TEST_F(TextFileImportTest, TwoFilesOfAFolderAreLoadedInTheOrderGiven)
{
    files.write("list/a.txt", "a1\r\na2\r\n");
    files.write("list/b.txt", "b1\r\n");
    EXPECT_EQ(import(several(files.file("list"), {"b.txt", "a.txt"})),
              QStringList({"b1", "a1", "a2"}));
    // A folder that ends in its separator, as the root folder does.
    host.codes.Clear();
    EXPECT_EQ(import(several(files.file("list") + "/", {"a.txt", "b.txt"})),
              QStringList({"a1", "a2", "b1"}));
    EXPECT_EQ(script.log, QStringList({OpenDialog, OpenDialog}));
}

TEST_F(TextFileImportTest, TheSameFileTwiceAddsItsLinesTwice)
{
    const QString path = files.write("list/codes.txt", "a\r\nb\r\n");
    EXPECT_EQ(import(path), QStringList({"a", "b"}));
    EXPECT_EQ(import(path), QStringList({"a", "b", "a", "b"}));
    EXPECT_EQ(import(several(files.file("list"), {"codes.txt", "codes.txt"})),
              QStringList({"a", "b", "a", "b", "a", "b", "a", "b"}));
}

TEST_F(TextFileImportTest, AMissingFileSaysFileNotFoundAndTheNextFileIsLoaded)
{
    EXPECT_EQ(import(files.file("typed name.txt")), QStringList());
    EXPECT_EQ(script.log, QStringList({OpenDialog, NotFound}));

    files.write("list/b.txt", "b1\r\n");
    EXPECT_EQ(import(several(files.file("list"), {"missing.txt", "b.txt"})), QStringList({"b1"}));
    EXPECT_EQ(script.log, QStringList({OpenDialog, NotFound, OpenDialog, NotFound}));
    EXPECT_TRUE(script.errors().isEmpty());
}

TEST_F(TextFileImportTest, AFileNameHoldingBackslashesIsLoadedUnderItsOwnName)
{
    files.write("list/a\\\\b.txt", "x\r\n");
    EXPECT_EQ(import(files.file("list/a\\\\b.txt")), QStringList({"x"}));
    EXPECT_EQ(import(several(files.file("list"), {"a\\\\b.txt"})), QStringList({"x", "x"}));
    EXPECT_TRUE(script.errors().isEmpty());
    EXPECT_FALSE(script.log.contains(NotFound));
}

TEST_F(TextFileImportTest, AnUnreadableFileIsReportedAtLine120AndThePointerIsRestored)
{
    ASSERT_TRUE(QDir().mkpath(files.file("folder.txt")));
    EXPECT_EQ(import(files.file("folder.txt")), QStringList());
    EXPECT_EQ(script.errors(), QStringList({errorAt(isADirectory(), 120)}));
}

TEST_F(TextFileImportTest, AReadErrorIsReportedAtLine120)
{
    // This process's own memory opens, but its first bytes cannot be read.
    import("/proc/self/mem");
    ASSERT_EQ(script.errors().size(), 1);
    EXPECT_TRUE(script.errors()[0].contains("PushButton3_Click at line 120\r"));
}

TEST_F(TextFileImportTest, AnUnreadableFileAmongSeveralIsReportedAtLine134AndTheOthersLoad)
{
    files.write("list/a.txt", "a1\r\n");
    files.write("list/c.txt", "c1\r\n");
    ASSERT_TRUE(QDir().mkpath(files.file("list/b.txt")));
    EXPECT_EQ(import(several(files.file("list"), {"a.txt", "b.txt", "c.txt"})),
              QStringList({"a1", "c1"}));
    EXPECT_EQ(script.errors(), QStringList({errorAt(isADirectory(), 134)}));
}

TEST_F(TextFileImportTest, AVeryLongLineIsOneItemAndTheListDrawsOnlyItsStart)
{
    const QByteArray line(qsizetype(6) * 1024 * 1024, '7');
    EXPECT_EQ(import(files.write("long.txt", "a\r\n" + line + "\r\nb")).size(), 3);
    EXPECT_EQ(host.codes.ItemText(2).size(), line.size());
    host.codes.publish();
    const QString drawn = host.codes.data(host.codes.index(1, 0), Qt::DisplayRole).toString();
    EXPECT_GT(drawn.size(), 100);
    EXPECT_LT(drawn.size(), 10000);
    EXPECT_TRUE(QString(line).startsWith(drawn));
}

// A line beyond the bound ends the reading of its file with one report at the
// step that reads it; the items before it stay, and the next file is read.
TEST_F(TextFileImportTest, ALineBeyondTheBoundIsReportedOnceAndTheNextFileIsRead)
{
    const TextFileImport::Limits limits{qsizetype(1024) * 1024};
    const QString longFile = files.write("list/long.txt", "a1\r\n" + QByteArray(3 << 20, '7'));
    const QString next = files.write("list/c.txt", "c1\r\n");
    const QString tooLong = "line 2 is longer than 1048576 characters";
    const struct
    {
        std::function<void()> load;
        QStringList items;
        QString report;
    } cases[] = {
        {[&] { import(longFile, limits); }, {"a1"}, errorAt(tooLong, 120)},
        {[&] {
             import(several(files.file("list"), {"long.txt", "c.txt"}), limits);
         },
         {"a1", "c1"},
         errorAt(tooLong, 134)},
        {[&] {
             TextFileImport::loadDroppedFiles(host, {longFile, next}, limits);
         },
         {"a1", "c1"},
         errorAt(tooLong, 104).replace("PushButton3_Click", "ListView1_OLEDragDrop")},
    };
    for (const auto& c : cases) {
        host.codes.Clear();
        script.log.clear();
        c.load();
        EXPECT_EQ(itemsOf(host.codes), c.items);
        EXPECT_EQ(script.errors(), QStringList({c.report}));
        EXPECT_EQ(host.MousePointer(), PointerMode::Default);
    }
}

// A file longer than a piece lets the window run while it is read, with the
// items read so far in the list. The busy pointer keeps the list's own edits
// away; a validation run there files the items read so far, another import
// appends its own, and the first import goes on with the rest of its file.
TEST_F(TextFileImportTest, TheWindowRunsWhileALargeFileIsRead)
{
    const QStringList first = {"801927504622", "012345678905"};
    const QByteArray longLine(qsizetype(300) * 1024, '7');
    const QString big =
        files.write("big.txt", first.join("\r\n").toLatin1() + "\r\n" + longLine + "\r\nlast");
    const QString other = files.write("other.txt", "279347895943\r\n");
    script.clipboardText = "pasted";
    script.clipboardHasText = true;
    QStringList atYield;
    host.atYield = [&](int k) {
        if (k != 1)
            return;
        atYield = itemsOf(host.codes);
        CodeListEditing::clearCodeList(host);
        CodeListEditing::removeItem(host, host.codes, 1);
        CodeListEditing::pasteCodes(host);
        TextFileImport::loadDroppedFiles(host, {other});
        ValidationRun::startValidating(host);
        script.openAnswers.enqueue(other);
        TextFileImport::loadCodesFromTextFiles(host);
    };
    EXPECT_EQ(import(big), first + QStringList({"279347895943", QString(longLine), "last"}));
    EXPECT_EQ(atYield, first);
    EXPECT_EQ(itemsOf(host.valid), first);
    EXPECT_EQ(script.log, QStringList({OpenDialog, "message|Quorvane|Done.", OpenDialog}));
}

TEST_F(TextFileImportTest, LoadListviewFromTextFileFillsAnyList)
{
    const QString path = files.write("codes.txt", "v1\nv2");
    Main::LoadListviewFromTextFile(script, host.valid, path, {});
    EXPECT_EQ(itemsOf(host.valid), QStringList({"v1", "v2"}));
    EXPECT_EQ(host.codes.ItemCount(), 0);
    Main::LoadListviewFromTextFile(script, host.valid, files.file("nothing.txt"), {});
    EXPECT_EQ(script.log, QStringList({NotFound}));
}

// Files dropped on the code list load as the import loads them; a drop gives
// its reports under its own name.
TEST_F(TextFileImportTest, DroppedFilesLoadInTurnUnderTheBusyPointerWithTheImportsReports)
{
    host.codes.AppendItem("kept");
    const QString a = files.write("a.txt", "a1\r\na2\r\n");
    const QString b = files.write("b.txt", "\xEF\xBB\xBF"
                                           "b1\nb2");
    ASSERT_TRUE(QDir().mkpath(files.file("folder.txt")));
    PointerMode pointerWhileLoading = PointerMode::Default;
    script.whileMessageShows = [&](const QString&) { pointerWhileLoading = host.MousePointer(); };
    TextFileImport::loadDroppedFiles(host,
                                     {b, files.file("gone.txt"), files.file("folder.txt"), a});
    EXPECT_EQ(itemsOf(host.codes), QStringList({"kept", "b1", "b2", "a1", "a2"}));
    EXPECT_EQ(pointerWhileLoading, PointerMode::Hourglass);
    EXPECT_EQ(host.MousePointer(), PointerMode::Default);
    ASSERT_EQ(script.log.size(), 2);
    EXPECT_EQ(script.log[0], NotFound);
    EXPECT_EQ(
        script.errors(),
        QStringList(
            {errorAt(isADirectory(), 104).replace("PushButton3_Click", "ListView1_OLEDragDrop")}));
    EXPECT_EQ(host.fileDialog().FileName, "");

    // Nothing while a long action shows the busy pointer.
    host.SetMousePointer(PointerMode::Hourglass);
    TextFileImport::loadDroppedFiles(host, {a});
    EXPECT_EQ(host.codes.ItemCount(), 5);
    EXPECT_EQ(host.MousePointer(), PointerMode::Hourglass);
}

} // namespace
