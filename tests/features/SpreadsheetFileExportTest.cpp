#include "features/SpreadsheetFileExport.h"

#include "features/CodeListEditing.h"
#include "support/ListItems.h"
#include "support/ScriptedHost.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

// "Save As Spreadsheet File…" on a scripted host: the dialog, the format by
// the name, the ticked items under the list's header, the busy pointer and
// the failures. (The cells themselves: core/files/SpreadsheetFileTest and the
// read-back by a real LibreOffice.)
namespace {

using Action = CodeListEditing::ListAction;

const QString Dialog =
    QStringLiteral("save|2621442|Save As Spreadsheet File|Excel Workbook "
                   "(*.xlsx)|*.xlsx|CSV, UTF-8, comma-separated (*.csv)|*.csv||");

class SpreadsheetFileExportTest : public ::testing::Test
{
protected:
    // Chooses the menu entry on `list` with the dialog answering `answer`;
    // answers the dialog's and the messages' log lines.
    QStringList save(ListModel& list, const QString& answer)
    {
        script.log.clear();
        script.saveAnswers.enqueue(answer);
        CodeListEditing::runListAction(host, list, 0, Action::SaveAsSpreadsheetFile);
        return script.log;
    }

    ScriptedServices script;
    ScriptedHost host{script.services()};
    TempFolder out;
};

TEST_F(SpreadsheetFileExportTest, TheTickedItemsUnderTheHeaderInTheChosenFormat)
{
    fill(host.invalid, {"00123", "skipped", "\u00e9,1"});
    host.invalid.SetChecked(2, false);

    const QString csv = out.file("invalid.csv");
    EXPECT_EQ(save(host.invalid, csv), QStringList{Dialog});
    EXPECT_EQ(TempFolder::read(csv), "\xEF\xBB\xBFInvalid Codes\r\n00123\r\n\"\xC3\xA9,1\"\r\n");
    EXPECT_EQ(host.pointer, PointerMode::Default);

    // A name with neither extension gets the workbook's.
    fill(host.valid, {"012345678905"});
    EXPECT_EQ(save(host.valid, out.file("valid")), QStringList{Dialog + out.path() + QChar(0)});
    EXPECT_TRUE(TempFolder::read(out.file("valid.xlsx")).startsWith("PK\x03\x04"));

    // Cancelled, or while the busy pointer shows: nothing.
    EXPECT_EQ(save(host.valid, ""), QStringList{Dialog + out.file("valid.xlsx")});
    host.pointer = PointerMode::Hourglass;
    EXPECT_EQ(save(host.valid, out.file("busy.csv")), QStringList());
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), QStringList({"invalid.csv", "valid.xlsx"}));
}

// Each spreadsheet-file dialog keeps its own last file, apart from the text
// files' dialog; one not used yet opens in the folder of another's file.
TEST_F(SpreadsheetFileExportTest, EachSpreadsheetDialogKeepsItsOwnFile)
{
    fill(host.valid, {"012345678905"});
    fill(host.invalid, {"1"});
    host.fileDialog().FileName = out.file("results.txt"); // the text save's last file
    const QString valid = out.file("valid.xlsx"), invalid = out.file("invalid.csv");
    EXPECT_EQ(save(host.valid, valid), QStringList{Dialog});
    EXPECT_EQ(save(host.invalid, invalid), QStringList{Dialog + out.path() + QChar(0)});
    EXPECT_EQ(save(host.valid, valid), QStringList{Dialog + valid});
    EXPECT_EQ(save(host.invalid, ""), QStringList{Dialog + invalid});
    EXPECT_EQ(host.fileDialog().FileName, out.file("results.txt"));

    // Loading codes opens where the last spreadsheet file is, then at its own.
    const QString codes = out.write("codes.csv", "012345678905\n");
    for (const QString& shown : {out.path() + QChar(0), codes}) {
        script.log.clear();
        script.openAnswers.enqueue(codes);
        CodeListEditing::runListAction(host, host.codes, 0, Action::LoadFromSpreadsheetFile);
        EXPECT_TRUE(script.log.value(0).endsWith("|" + shown)) << script.log.value(0).toStdString();
    }
    EXPECT_EQ(host.fileDialog().FileName, out.file("results.txt"));
}

// A failure is told, and the file there keeps what it held: one the dialog
// never asked about (its name got ".xlsx"), or one no one may write.
TEST_F(SpreadsheetFileExportTest, AFailureIsToldAndTheFileKept)
{
    fill(host.valid, {"012345678905"});
    host.pointer = PointerMode::Custom;
    const QString kept = out.write("kept.xlsx", "OLD");
    EXPECT_EQ(save(host.valid, out.file("kept")).value(1),
              "message|Quorvane|The spreadsheet file " + kept +
                  " could not be saved: File already exists");
    const QString readOnly = out.write("read-only.csv", "OLD");
    QFile::setPermissions(readOnly, QFile::ReadOwner);
    EXPECT_EQ(save(host.valid, readOnly).value(1), "message|Quorvane|The spreadsheet file " +
                                                       readOnly +
                                                       " could not be saved: Permission denied");
    EXPECT_EQ(TempFolder::read(kept), "OLD");
    EXPECT_EQ(TempFolder::read(readOnly), "OLD");
    EXPECT_EQ(host.pointer, PointerMode::Custom);
}

} // namespace
