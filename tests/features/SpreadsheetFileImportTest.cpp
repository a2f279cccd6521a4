#include "features/SpreadsheetFileImport.h"

#include "features/CodeListEditing.h"
#include "support/DeclaredZip.h"
#include "support/ListItems.h"
#include "support/ScriptedHost.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {

const QString OpenDialog = "open|2621441|Load Codes From Spreadsheet File|Spreadsheet Files "
                           "(*.csv;*.tsv;*.xlsx;*.ods)|*.csv;*.tsv;*.xlsx;*.ods|All Files "
                           "(*.*)|*.*||";

class SpreadsheetFileImportTest : public ::testing::Test
{
protected:
    ScriptedServices script;
    TempFolder files;
    std::unique_ptr<ScriptedHost> host;

    // Picks the file in the dialog and chooses the menu entry on the code list.
    QStringList import(const QString& path, const TextFileImport::Limits& limits = {})
    {
        if (!host)
            host = std::make_unique<ScriptedHost>(script.services());
        script.openAnswers.enqueue(path);
        if (limits.longestLine == TextFileImport::LongestLine)
            CodeListEditing::runListAction(*host, host->codes, 0,
                                           CodeListEditing::ListAction::LoadFromSpreadsheetFile);
        else
            SpreadsheetFileImport::loadCodesFromSpreadsheetFile(*host, limits);
        EXPECT_EQ(host->MousePointer(), PointerMode::Default);
        return itemsOf(host->codes);
    }
};

TEST_F(SpreadsheetFileImportTest, AddsTheChosenColumnsCellsAfterAskingForIt)
{
    const QString path =
        files.write("codes.csv", "Name;UPC\r\nTea;0-12345-67890-5\r\n\"Jam; red\";12\r\nPie;\r\n");
    EXPECT_EQ(import(path), QStringList({"0-12345-67890-5", "12"}));
    EXPECT_EQ(script.log,
              QStringList({OpenDialog, "column|codes.csv|1|1|Name,UPC;Tea,0-12345-67890-"
                                       "5;Jam; red,12;Pie,"}));

    // The user's own choice: column A, no header.
    script.log.clear();
    script.columnAnswers.enqueue(ColumnChoice{0, false});
    EXPECT_EQ(import(path).mid(2), QStringList({"Name", "Tea", "Jam; red", "Pie"}));
    // Cancelled: in the dialog or in the chooser.
    script.columnAnswers.enqueue(std::nullopt);
    EXPECT_EQ(import(path).size(), 6);
    EXPECT_EQ(import(QString()).size(), 6);
    EXPECT_EQ(script.logged("open").size(), 3);
    EXPECT_EQ(script.logged("column").size(), 2);
    EXPECT_TRUE(script.logged("message").isEmpty());
}

TEST_F(SpreadsheetFileImportTest, ReadsDocumentsThroughTheSpreadsheetReader)
{
    const QString path = files.write("codes.ods", "not read here");
    script.sheetCsv = "UPC,Note\n012345678905,\"a,b\"\n001234567890,\n";
    EXPECT_EQ(import(path), QStringList({"012345678905", "001234567890"}));
    EXPECT_EQ(script.logged("sheet"), QStringList({path}));
    EXPECT_EQ(script.logged("column"), QStringList({"codes.ods|0|1|UPC,Note;012345678905,a,b;"
                                                    "001234567890,"}));
}

TEST_F(SpreadsheetFileImportTest, TellsWhatKeepsAFileFromBeingRead)
{
    // Faults after the rows the chooser shows leave the cells before them.
    const QByteArray ten = QByteArray("012345678905\n").repeated(10);
    const QStringList tenCodes(10, "012345678905");
    const struct
    {
        const char* name;
        QByteArray bytes;
        bool reader;
        QString sheetFailure;
        QStringList codes;
        QString message;
    } cases[] = {
        {"a.xlsx",
         "x",
         false,
         {},
         {},
         "a.xlsx cannot be read: reading .xlsx and .ods files needs LibreOffice Calc, which is "
         "not installed."},
        {"a.ods",
         "x",
         true,
         "The LibreOffice Calc plugin is not installed",
         {},
         "a.ods cannot be read: The LibreOffice Calc plugin is not installed"},
        {"a.csv", "Name,Price\nTea,1.5\n", true, {}, {}, "No column of a.csv holds codes."},
        {"a.csv", "", true, {}, {}, "No column of a.csv holds codes."},
        {"a.csv",
         "012345678905\n\"x\n",
         true,
         {},
         {},
         "a.csv cannot be read: line 2: a quoted field is not closed"},
        {"a.csv",
         ten + "\"x\n",
         true,
         {},
         tenCodes,
         "a.csv cannot be read: line 11: a quoted field is not closed"},
        {"a.csv",
         ten + "\"12345678\n9012345\"\n",
         true,
         {},
         tenCodes,
         "a.csv cannot be read: line 11 is longer than 12 characters"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name + (" " + c.bytes.toStdString()));
        script.log.clear();
        script.hasSpreadsheetReader = c.reader;
        script.sheetFailure = c.sheetFailure;
        host = std::make_unique<ScriptedHost>(script.services());
        EXPECT_EQ(import(files.write(c.name, c.bytes), {12, 0}), c.codes);
        EXPECT_EQ(script.logged("message"), QStringList({"Quorvane|" + c.message}));
    }
    // A missing file, and a refusal while the busy pointer shows.
    script.log.clear();
    host->codes.Clear();
    EXPECT_EQ(import(files.file("gone.csv")), QStringList());
    EXPECT_EQ(script.logged("message"), QStringList({"Quorvane|File not found"}));
    host->SetMousePointer(PointerMode::Hourglass);
    script.log.clear();
    CodeListEditing::runListAction(*host, host->codes, 0,
                                   CodeListEditing::ListAction::LoadFromSpreadsheetFile);
    EXPECT_TRUE(script.log.isEmpty());
}

TEST_F(SpreadsheetFileImportTest, LetsTheWindowRunBetweenPiecesUnderTheBusyPointer)
{
    QByteArray bytes = "UPC\n";
    for (int i = 0; i < 40000; ++i)
        bytes += "012345678905\n";
    const QString path = files.write("many.csv", bytes);
    host = std::make_unique<ScriptedHost>(script.services());
    QList<qsizetype> seen;
    host->atYield = [this, &seen](int) {
        EXPECT_TRUE(host->isBusy());
        seen.append(host->codes.ItemCount());
    };
    EXPECT_EQ(import(path, {TextFileImport::LongestLine - 1, 0}).size(), 40000);
    ASSERT_EQ(seen.size(), 1);
    EXPECT_GT(seen.front(), 0);
}

// A document that says it unpacks to more than the bound is refused before
// LibreOffice sees it; a reading that takes longer than allowed is stopped.
TEST_F(SpreadsheetFileImportTest, ABombOrASlowReadingEndsWithAMessage)
{
    const QString saveAsCsv =
        " Save the sheet with the codes as a CSV file and load that file instead.";
    const quint32 bound = quint32(1) << 30;
    const struct
    {
        const char* name;
        QByteArray bytes;
        int milliseconds;
        SpreadsheetFileImport::DocumentLimits document;
        QString message;
    } cases[] = {
        {"bomb.xlsx",
         zipDeclaring(0xC0000000),
         0,
         {},
         "bomb.xlsx cannot be read: it would unpack to 3072 MB, more than the 1024 MB allowed." +
             saveAsCsv},
        {"big.ods",
         zipDeclaring(bound + 1),
         0,
         {},
         "big.ods cannot be read: it would unpack to 1025 MB, more than the 1024 MB allowed." +
             saveAsCsv},
        {"fits.xlsx", zipDeclaring(bound), 0, {}, {}},
        {"slow.xlsx",
         "read by the stand-in",
         60000,
         {300, bound},
         "slow.xlsx cannot be read: LibreOffice did not finish reading it within 0.3 seconds and "
         "was stopped." +
             saveAsCsv},
    };
    script.sheetCsv = "UPC\n012345678905\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        script.log.clear();
        script.sheetStops = 0;
        script.sheetMilliseconds = c.milliseconds;
        host = std::make_unique<ScriptedHost>(script.services());
        script.openAnswers.enqueue(files.write(c.name, c.bytes));
        QElapsedTimer took;
        took.start();
        SpreadsheetFileImport::loadCodesFromSpreadsheetFile(*host, {}, c.document);
        EXPECT_LT(took.elapsed(), 5000);
        EXPECT_EQ(host->MousePointer(), PointerMode::Default);
        EXPECT_EQ(script.logged("message"),
                  c.message.isEmpty() ? QStringList() : QStringList({"Quorvane|" + c.message}));
        EXPECT_EQ(script.logged("sheet").size(), c.message.contains("unpack") ? 0 : 1);
        EXPECT_EQ(script.sheetStops, c.milliseconds > 0 ? 1 : 0);
        EXPECT_EQ(itemsOf(host->codes).size(), c.message.isEmpty() ? 1 : 0);
    }
}

} // namespace
