// "Save Results As Excel File" under both lists, against a recording
// spreadsheet application.

#include "features/SpreadsheetExport.h"

#include "features/Main.h"
#include "features/spreadsheet/RecordingSpreadsheet.h"
#include "support/ScriptedHost.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <gtest/gtest.h>

namespace {

const QString ProbeMessage =
    QStringLiteral("Excel is not installed on this computer. You need to "
                   "have it installed to use this software without error.");
const QString HandlerMessage = QStringLiteral("Excel is not installed on this computer. You need "
                                              "to have it installed to use this feature.");

struct Handler
{
    const char* name;
    void (*click)(Host&);
    ListModel ScriptedHost::*list;
    const char* header;
};

const Handler ValidList{"PushButton13_Click", &SpreadsheetExport::exportValidList,
                        &ScriptedHost::valid, " Valid Codes"};
const Handler InvalidList{"PushButton7_Click", &SpreadsheetExport::exportInvalidList,
                          &ScriptedHost::invalid, "Invalid Codes"};

QString message(const QString& text)
{
    return QStringLiteral("message|") + Main::ApplicationTitle() + QLatin1Char('|') + text;
}

QString cellCall(int row, int column, const QString& rest = {})
{
    return QStringLiteral("Workbook1.ActiveSheet.cells(%1,%2)").arg(row).arg(column) + rest;
}

// The calls that reach cell (row, column) and give it the text format.
QStringList format(int row, int column)
{
    return {QStringLiteral("Workbook1.ActiveSheet"), cellCall(row, column),
            cellCall(row, column, QStringLiteral(".numberformat = \"@\""))};
}

// The calls that reach cell (row, column) and set it through `member`.
QStringList set(int row, int column, const QString& member, const QString& text)
{
    return {QStringLiteral("Workbook1.ActiveSheet"), cellCall(row, column),
            cellCall(row, column, member + QStringLiteral(" = \"") + text + QLatin1Char('"'))};
}

QStringList autofit(int column)
{
    const QString columns = QStringLiteral("Workbook1.ActiveSheet.Columns(%1)").arg(column);
    return {QStringLiteral("Workbook1.ActiveSheet"), columns, columns + QStringLiteral(".Autofit")};
}

class SpreadsheetExportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Services services = script.services();
        services.spreadsheet = &spreadsheet;
        host = std::make_unique<ScriptedHost>(services);
        script.log.clear();
    }
    void TearDown() override { spreadsheet.logYields(false); }

    ListModel* list(const Handler& h) const { return &((*host).*h.list); }
    void click(const Handler& h) { h.click(*host); }

    // Appends items; a text starting with "-" is appended unchecked (without the "-").
    void fill(const Handler& h, const QStringList& items)
    {
        for (const QString& item : items) {
            const bool unchecked = item.startsWith(QLatin1Char('-'));
            list(h)->AppendItem(unchecked ? item.mid(1) : item);
            list(h)->SetChecked(list(h)->ItemCount(), !unchecked);
        }
    }

    // Runs `action` the next time the window processes its events.
    void atNextYield(std::function<void()> action)
    {
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(action),
                                  Qt::QueuedConnection);
    }

    QString reportStart(const Handler& h, int line, const QString& description) const
    {
        return description + QStringLiteral("\r\nin Lintorak2021/08/31.Form1.") +
               QLatin1String(h.name) + QStringLiteral(" at line ") + QString::number(line) +
               QStringLiteral("\r\r");
    }

    const RecordingSpreadsheet::Cell* cell(int row, int column) const
    {
        const auto& cells = spreadsheet.workbooks.at(0).cells;
        const auto found = cells.find({row, column});
        return found == cells.end() ? nullptr : &found->second;
    }

    ScriptedServices script;
    RecordingSpreadsheet spreadsheet;
    std::unique_ptr<ScriptedHost> host;
};

// --- The probe and the handlers without the application ----------------------------------------

TEST_F(SpreadsheetExportTest, ProbeStartsTheApplicationAndLetsItGoAtOnce)
{
    EXPECT_TRUE(SpreadsheetExport::SaveResultsAsExcelFileIsExcelInstalled(*host));
    EXPECT_EQ(spreadsheet.log, QStringList({"createApplication", "release Application1"}));
    EXPECT_TRUE(script.log.isEmpty());
}

TEST_F(SpreadsheetExportTest, ProbeWithoutTheApplicationShowsItsMessageAndAnswersFalse)
{
    spreadsheet.creationsThatSucceed = 0;
    EXPECT_FALSE(SpreadsheetExport::SaveResultsAsExcelFileIsExcelInstalled(*host));
    EXPECT_EQ(script.log, QStringList({message(ProbeMessage)}));
    EXPECT_TRUE(script.errors().isEmpty());
}

TEST_F(SpreadsheetExportTest, WithoutTheApplicationBothHandlersShowTwoMessagesAndNothingElse)
{
    for (const Handler* h : {&ValidList, &InvalidList}) {
        SCOPED_TRACE(h->name);
        script.log.clear();
        spreadsheet.log.clear();
        spreadsheet.creationsThatSucceed = 0;
        fill(*h, {"012345678905"});
        host->SetMousePointer(PointerMode::Custom);

        click(*h);

        EXPECT_EQ(script.log, QStringList({message(ProbeMessage), message(HandlerMessage)}));
        EXPECT_EQ(spreadsheet.log, QStringList({"createApplication"}));
        EXPECT_EQ(host->MousePointer(), PointerMode::Custom);
        EXPECT_EQ(list(*h)->ItemCount(), 1);
    }
}

TEST_F(SpreadsheetExportTest, WithoutAnySpreadsheetServiceTheHandlerShowsTheTwoMessages)
{
    Services services = script.services();
    services.spreadsheet = nullptr;
    ScriptedHost bare(services);
    bare.valid.AppendItem(QStringLiteral("012345678905"));

    SpreadsheetExport::exportValidList(bare);

    EXPECT_EQ(script.log, QStringList({message(ProbeMessage), message(HandlerMessage)}));
}

TEST_F(SpreadsheetExportTest, EmptyListEndsSilentlyAfterTheProbe)
{
    for (const Handler* h : {&ValidList, &InvalidList}) {
        SCOPED_TRACE(h->name);
        spreadsheet.log.clear();
        host->SetMousePointer(PointerMode::Custom);

        click(*h);

        EXPECT_EQ(spreadsheet.log, QStringList({"createApplication", "release Application1"}));
        EXPECT_TRUE(script.log.isEmpty());
        EXPECT_EQ(host->MousePointer(), PointerMode::Custom);
        EXPECT_TRUE(spreadsheet.workbooks.empty());
        spreadsheet.applications.clear();
    }
}

// --- The calls, in order ------------------------------------------------------------------------

TEST_F(SpreadsheetExportTest, ValidListCallSequenceWithAnUncheckedFirstItem)
{
    fill(ValidList, {"-036000291452", "012345678905"});
    spreadsheet.logYields(true);

    click(ValidList);

    QStringList expected = {"createApplication", "release Application1", "createApplication",
                            "Application2.Workbooks", "Application2.Workbooks.Add",
                            // header: one column
                            "DoEvents"};
    expected << format(1, 1) << set(1, 1, "", " Valid Codes") << autofit(1);
    // item 1 is unchecked: its yield, then nothing; item 2 in row 3
    expected << "DoEvents"
             << "DoEvents"
             << "DoEvents" << format(3, 1) << set(3, 1, ".Value", "012345678905");
    expected << "Workbook1.ActiveSheet"
             << "Workbook1.ActiveSheet.Columns"
             << "Workbook1.ActiveSheet.Columns.Autofit"
             << "Application2.Visible = true"
             << "release Workbook1"
             << "release Application2";
    EXPECT_EQ(spreadsheet.log, expected);
    EXPECT_TRUE(script.log.isEmpty());
    EXPECT_EQ(host->MousePointer(), PointerMode::Default);
}

TEST_F(SpreadsheetExportTest, InvalidListFormatsTheRowsFirstCellBeforeItsColumnLoop)
{
    fill(InvalidList, {"-279347895943", "12345"});
    spreadsheet.logYields(true);

    click(InvalidList);

    QStringList expected = {"createApplication",          "release Application1",
                            "createApplication",          "Application2.Workbooks",
                            "Application2.Workbooks.Add", "DoEvents"};
    expected << format(1, 1) << set(1, 1, "", "Invalid Codes") << autofit(1);
    expected << "DoEvents"
             << "DoEvents" << format(3, 1) << "DoEvents" << set(3, 1, ".Value", "12345");
    expected << "Workbook1.ActiveSheet"
             << "Workbook1.ActiveSheet.Columns"
             << "Workbook1.ActiveSheet.Columns.Autofit"
             << "Application2.Visible = true"
             << "release Workbook1"
             << "release Application2";
    EXPECT_EQ(spreadsheet.log, expected);
    EXPECT_TRUE(script.log.isEmpty());
}

TEST_F(SpreadsheetExportTest, SheetHoldsHeaderAndCheckedItemsInTheirRowsAllAsText)
{
    for (const Handler* h : {&ValidList, &InvalidList}) {
        SCOPED_TRACE(h->name);
        spreadsheet.workbooks.clear();
        spreadsheet.applications.clear();
        list(*h)->Clear();
        fill(*h, {"-036000291452", "012345678905", "-1", "0000000000=0", " 12 - 3 "});

        click(*h);

        ASSERT_EQ(spreadsheet.workbooks.size(), 1u);
        const auto& cells = spreadsheet.workbooks[0].cells;
        EXPECT_EQ(cells.size(), 4u);
        ASSERT_TRUE(cell(1, 1));
        EXPECT_EQ(cell(1, 1)->value, h->header);
        EXPECT_EQ(cell(1, 1)->setBy, "default");
        EXPECT_FALSE(cell(2, 1));
        ASSERT_TRUE(cell(3, 1));
        EXPECT_EQ(cell(3, 1)->value, "012345678905");
        EXPECT_EQ(cell(3, 1)->setBy, "Value");
        EXPECT_FALSE(cell(4, 1));
        // The first column is written as it stands, "=" included.
        ASSERT_TRUE(cell(5, 1));
        EXPECT_EQ(cell(5, 1)->value, "0000000000=0");
        ASSERT_TRUE(cell(6, 1));
        EXPECT_EQ(cell(6, 1)->value, " 12 - 3 ");
        for (const auto& [at, written] : cells)
            EXPECT_EQ(written.numberFormat, "@") << at.first << "," << at.second;
        EXPECT_EQ(spreadsheet.workbooks[0].autofitColumns, std::set<int>({1}));
        EXPECT_EQ(spreadsheet.workbooks[0].autofitAll, 1);
        EXPECT_TRUE(spreadsheet.applications.back().visible);
        EXPECT_TRUE(spreadsheet.applications.back().released);
        EXPECT_TRUE(spreadsheet.workbooks[0].released);
    }
}

TEST_F(SpreadsheetExportTest, AllItemsUncheckedLeaveOnlyTheHeaderInAVisibleWorkbook)
{
    fill(ValidList, {"-012345678905", "-712345678904"});

    click(ValidList);

    EXPECT_EQ(spreadsheet.effects(),
              QStringList({"createApplication", "release Application1", "createApplication",
                           "Application2.Workbooks.Add", cellCall(1, 1, ".numberformat = \"@\""),
                           cellCall(1, 1, " = \" Valid Codes\""),
                           "Workbook1.ActiveSheet.Columns(1).Autofit",
                           "Workbook1.ActiveSheet.Columns.Autofit", "Application2.Visible = true",
                           "release Workbook1", "release Application2"}));
    EXPECT_TRUE(script.log.isEmpty());
}

// With more than one column (the program's lists have one, the export takes any number).
TEST_F(SpreadsheetExportTest,
       LaterColumnsTakeSubItemsWithoutEqualsSignsAndTheHandlersFormatDifferently)
{
    const QStringList subItems = {QStringLiteral("=a=b=="), QStringLiteral("c")};
    for (const Handler* h : {&ValidList, &InvalidList}) {
        SCOPED_TRACE(h->name);
        spreadsheet.log.clear();
        list(*h)->AddColumnHeader(QStringLiteral("Note"));
        list(*h)->AddColumnHeader(QStringLiteral("More"));
        list(*h)->AppendItem(QStringLiteral("=1"), subItems);

        click(*h);

        QStringList expected = {"createApplication", "release Application1", "createApplication",
                                "Application2.Workbooks.Add"};
        for (int c = 1; c <= 3; ++c)
            expected << cellCall(1, c, ".numberformat = \"@\"")
                     << cellCall(1, c,
                                 QStringLiteral(" = \"%1\"")
                                     .arg(c == 1   ? h->header
                                          : c == 2 ? "Note"
                                                   : "More"))
                     << QStringLiteral("Workbook1.ActiveSheet.Columns(%1).Autofit").arg(c);
        const QStringList values = {"=1", "ab", "c"};
        if (h == &InvalidList)
            expected << cellCall(2, 1, ".numberformat = \"@\"");
        for (int c = 1; c <= 3; ++c) {
            if (h == &ValidList)
                expected << cellCall(2, c, ".numberformat = \"@\"");
            expected << cellCall(2, c, QStringLiteral(".Value = \"%1\"").arg(values[c - 1]));
        }
        expected << "Workbook1.ActiveSheet.Columns.Autofit"
                 << "Application2.Visible = true"
                 << "release Workbook1"
                 << "release Application2";
        EXPECT_EQ(spreadsheet.effects(), expected);
        EXPECT_EQ(list(*h)->SubItem(1, 2), "=a=b==");
        spreadsheet.workbooks.clear();
        spreadsheet.applications.clear();
    }
}

TEST_F(SpreadsheetExportTest, PointerIsBusyFromBeforeTheApplicationStartsUntilTheEnd)
{
    fill(ValidList, {"012345678905"});
    host->SetMousePointer(PointerMode::Custom);
    QList<std::pair<QString, PointerMode>> calls;
    spreadsheet.onCall = [&](const QString& line) { calls.append({line, host->MousePointer()}); };

    click(ValidList);

    // The probe runs before the pointer is set; every later call sees the busy pointer.
    ASSERT_GT(calls.size(), 2);
    EXPECT_EQ(calls.first(),
              std::make_pair(QStringLiteral("createApplication"), PointerMode::Custom));
    for (qsizetype k = 1; k < calls.size(); ++k)
        EXPECT_EQ(calls[k].second, PointerMode::Hourglass) << calls[k].first.toStdString();
    EXPECT_EQ(calls.last().first, "Application2.Visible = true");
    EXPECT_EQ(host->MousePointer(), PointerMode::Default);
}

// --- Failures -----------------------------------------------------------------------------------

TEST_F(SpreadsheetExportTest,
       ApplicationThatCannotBeStartedAfterTheProbeIsReportedOnceAndTheExportEnds)
{
    for (const Handler* h : {&ValidList, &InvalidList}) {
        SCOPED_TRACE(h->name);
        script.log.clear();
        spreadsheet.log.clear();
        spreadsheet.applications.clear();
        spreadsheet.creationsThatSucceed = 1;
        fill(*h, {"012345678905", "712345678904"});
        std::optional<PointerMode> pointerAtCreation;
        spreadsheet.onCall = [&](const QString&) { pointerAtCreation = host->MousePointer(); };

        click(*h);

        ASSERT_EQ(script.log.size(), 1);
        ASSERT_EQ(script.errors().size(), 1);
        EXPECT_TRUE(script.errors()[0].startsWith(
            reportStart(*h, 112, QStringLiteral("The spreadsheet application cannot be started"))));
        EXPECT_EQ(spreadsheet.log,
                  QStringList({"createApplication", "release Application1", "createApplication"}));
        EXPECT_EQ(pointerAtCreation, PointerMode::Hourglass);
        EXPECT_EQ(host->MousePointer(), PointerMode::Default);
    }
}

TEST_F(SpreadsheetExportTest, WorkbookThatCannotBeAddedIsReportedOnceAndTheApplicationLetGo)
{
    fill(ValidList, {"012345678905", "712345678904"});
    spreadsheet.failingCalls = {QStringLiteral("Application2.Workbooks.Add")};

    click(ValidList);

    ASSERT_EQ(script.log.size(), 1);
    ASSERT_EQ(script.errors().size(), 1);
    EXPECT_TRUE(
        script.errors()[0].startsWith(reportStart(ValidList, 114, spreadsheet.callFailure)));
    EXPECT_EQ(spreadsheet.log.mid(2),
              QStringList({"createApplication", "Application2.Workbooks",
                           "Application2.Workbooks.Add", "release Application2"}));
    EXPECT_FALSE(spreadsheet.applications.back().visible);
    EXPECT_EQ(host->MousePointer(), PointerMode::Default);
}

struct StepFailure
{
    const Handler* handler;
    int columns;
    QString call;
    int line;
};

TEST_F(SpreadsheetExportTest, FailingStepIsReportedWithItsLineAndTheExportGoesOn)
{
    const QString row2 = cellCall(2, 1);
    const StepFailure cases[] = {
        {&ValidList, 1, cellCall(1, 1, ".numberformat = \"@\""), 122},
        {&ValidList, 1, cellCall(1, 1, " = \" Valid Codes\""), 126},
        {&ValidList, 2, cellCall(1, 2, " = \"Note\""), 130},
        {&ValidList, 1, "Workbook1.ActiveSheet.Columns(1).Autofit", 134},
        {&ValidList, 1, row2 + ".numberformat = \"@\"", 152},
        {&ValidList, 1, row2 + ".Value = \"012345678905\"", 156},
        {&ValidList, 2, cellCall(2, 2, ".Value = \"x\""), 160},
        {&ValidList, 1, "Workbook1.ActiveSheet.Columns.Autofit", 170},
        {&ValidList, 1, "Application2.Visible = true", 172},
        {&InvalidList, 1, cellCall(1, 1, ".numberformat = \"@\""), 122},
        {&InvalidList, 1, row2 + ".numberformat = \"@\"", 148},
        {&InvalidList, 1, row2 + ".Value = \"012345678905\"", 156},
        {&InvalidList, 2, cellCall(2, 2, ".Value = \"x\""), 160},
        {&InvalidList, 1, "Application2.Visible = true", 172},
    };
    for (const StepFailure& f : cases) {
        SCOPED_TRACE((QLatin1String(f.handler->name) + QLatin1Char(' ') + f.call).toStdString());
        Services services = script.services();
        RecordingSpreadsheet recorder;
        services.spreadsheet = &recorder;
        ScriptedHost window(services);
        script.log.clear();
        ListModel* target = &(window.*(f.handler->list));
        if (f.columns == 2)
            target->AddColumnHeader(QStringLiteral("Note"));
        target->AppendItem(QStringLiteral("012345678905"), {QStringLiteral("x")});
        recorder.failingCalls = {f.call};

        f.handler->click(window);

        ASSERT_EQ(script.errors().size(), 1);
        EXPECT_TRUE(
            script.errors()[0].startsWith(reportStart(*f.handler, f.line, recorder.callFailure)))
            << script.errors()[0].toStdString();
        // Everything after the failing step still ran.
        EXPECT_TRUE(recorder.log.contains("Application2.Visible = true"));
        EXPECT_TRUE(recorder.log.contains("Workbook1.ActiveSheet.Columns.Autofit"));
        EXPECT_EQ(recorder.log.mid(recorder.log.size() - 2),
                  QStringList({"release Workbook1", "release Application2"}));
        EXPECT_EQ(window.MousePointer(), PointerMode::Default);
    }
}

// --- The list changing while the export yields --------------------------------------------------

TEST_F(SpreadsheetExportTest, ListClearedDuringTheExportReportsEachMissingItemAndStillFinishes)
{
    for (const Handler* h : {&ValidList, &InvalidList}) {
        SCOPED_TRACE(h->name);
        script.log.clear();
        spreadsheet.workbooks.clear();
        spreadsheet.applications.clear();
        fill(*h, {"012345678905", "712345678904"});
        spreadsheet.onCall = [&](const QString& line) {
            if (line == "Workbook1.ActiveSheet.Columns(1).Autofit")
                atNextYield([&] { list(*h)->Clear(); });
        };

        click(*h);

        QList<int> lines;
        for (const QString& report : script.errors()) {
            EXPECT_TRUE(report.startsWith(QStringLiteral("Index out of bounds\r\n")));
            lines.append(report.section(QStringLiteral(" at line "), 1).left(3).toInt());
        }
        // The checked-state test fails, so its guarded steps run and fail in turn.
        EXPECT_EQ(lines, QList<int>({144, 156, 144, 156}));
        EXPECT_TRUE(spreadsheet.applications.back().visible);
        EXPECT_EQ(host->MousePointer(), PointerMode::Default);
        EXPECT_EQ(cell(2, 1)->value, QString());
        spreadsheet.onCall = nullptr;
    }
}

TEST_F(SpreadsheetExportTest, CheckedStatesAreReadAsTheExportReachesEachItem)
{
    fill(ValidList, {"012345678905", "712345678904"});
    spreadsheet.onCall = [&](const QString& line) {
        if (line == "Workbook1.ActiveSheet.Columns(1).Autofit")
            atNextYield([&] { host->valid.SetChecked(2, false); });
    };

    click(ValidList);

    ASSERT_TRUE(cell(2, 1));
    EXPECT_EQ(cell(2, 1)->value, "012345678905");
    EXPECT_FALSE(cell(3, 1));
    EXPECT_TRUE(script.log.isEmpty());
}

TEST_F(SpreadsheetExportTest, ItemsAppendedDuringTheExportAreNotWritten)
{
    fill(ValidList, {"012345678905"});
    spreadsheet.onCall = [&](const QString& line) {
        if (line == "Workbook1.ActiveSheet.Columns(1).Autofit")
            atNextYield([&] { host->valid.AppendItem(QStringLiteral("712345678904")); });
    };

    click(ValidList);

    EXPECT_EQ(host->valid.ItemCount(), 2);
    EXPECT_TRUE(cell(2, 1));
    EXPECT_FALSE(cell(3, 1));
    EXPECT_TRUE(script.log.isEmpty());
}

} // namespace
