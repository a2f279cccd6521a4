#pragma once

#include "features/host/Spreadsheet.h"

#include <QObject>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

// A spreadsheet application that writes every call it gets to `log`, in
// order, with its arguments, and keeps what was written to look at.
//
// Log lines (applications and workbooks are numbered from 1 as they are made):
//   "createApplication"
//   "Application1.Workbooks"            "Application1.Workbooks.Add" (makes Workbook<n>)
//   "Application1.Visible = true"
//   "Workbook1.ActiveSheet"             "Workbook1.ActiveSheet.cells(2,1)"
//   "Workbook1.ActiveSheet.cells(2,1).numberformat = \"@\""
//   "Workbook1.ActiveSheet.cells(1,1) = \"text\""        (the default property)
//   "Workbook1.ActiveSheet.cells(2,1).Value = \"text\""
//   "Workbook1.ActiveSheet.Columns(1)"  "Workbook1.ActiveSheet.Columns(1).Autofit"
//   "Workbook1.ActiveSheet.Columns"     "Workbook1.ActiveSheet.Columns.Autofit"
//   "release Application1"              "release Workbook1"   (the object was let go)
//   "DoEvents"                          (with yields(): the window processed its events)
class RecordingSpreadsheet : public SpreadsheetServer
{
public:
    struct Cell
    {
        QString numberFormat;
        QString value;
        // "Value" or "default": the member the value was set through.
        QString setBy;
    };
    struct Workbook
    {
        std::map<std::pair<int, int>, Cell> cells;
        std::set<int> autofitColumns;
        int autofitAll = 0;
        bool released = false;
    };
    struct Application
    {
        bool visible = false;
        bool released = false;
    };

    RecordingSpreadsheet();
    ~RecordingSpreadsheet() override;

    std::unique_ptr<Spreadsheet::Application> createApplication() override;

    // Every time the window processes its events, "DoEvents" is logged.
    void logYields(bool on);

    // The log without the calls that only reach an object (Workbooks,
    // ActiveSheet, cells, Columns): what was done to the application.
    QStringList effects() const;

    QStringList log;
    // How many creations succeed before every later one fails (-1: all do).
    int creationsThatSucceed = -1;
    QString creationFailure = QStringLiteral("The spreadsheet application cannot be started");
    // Calls, as logged, that fail with `callFailure` after being logged.
    QStringList failingCalls;
    QString callFailure = QStringLiteral("The spreadsheet application refused the call");
    // Runs after each call is logged (before it fails, when it fails).
    std::function<void(const QString& line)> onCall;

    std::vector<Application> applications;
    std::vector<Workbook> workbooks;

    // Called by the recorded objects.
    void call(const QString& line);

private:
    std::unique_ptr<QObject> m_yields;
};
