#pragma once

#include "core/files/SettingsStore.h"
#include "features/host/ColumnChooser.h"
#include "features/host/Platform.h"
#include "features/host/Prompts.h"
#include "features/host/Services.h"
#include "features/host/SpreadsheetReader.h"
#include "support/TempFolder.h"

#include <QQueue>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>

class Form1;

// The platform as a script: every box, dialog, clipboard call and opened
// address is written to `log` in order, and answered from the queues.
//
// Log lines:
//   "message|<title>|<text>"     "error|<text>"        "input|<title>|<prompt>"
//   "open|<flags>|<title>|<filter>|<file name>"        "save|..." (the same)
//   "clipboard-clear"            "clipboard-set|<text>" "clipboard-get"
//   "url|<address>"
//   "column|<file>|<proposed column>|<header 0/1>|<rows, cells joined by
//   ",", rows by ";">"                                "sheet|<document>"
class ScriptedServices : public Prompts,
                         public ColumnChooser,
                         public SpreadsheetReader,
                         public FileDialogs,
                         public Clipboard,
                         public UrlOpener,
                         public RandomSource
{
public:
    ScriptedServices();
    ~ScriptedServices() override;

    // The services for a window; the settings store and the program folder
    // are real folders of this test.
    Services services();
    // A window made with services() whose start-up has run (window tests
    // only: defined in ScriptedWindow.cpp, in the window tests' support).
    std::unique_ptr<Form1> loadForm();

    // Prompts
    void messageBox(const QString& text, const QString& title) override;
    void errorReport(const QString& text) override;
    QString inputBox(const QString& prompt, const QString& title) override;
    // FileDialogs
    QString showOpen(const FileDialogRequest& request) override;
    QString showSave(const FileDialogRequest& request) override;
    // Clipboard
    bool clear() override;
    bool setText(const QString& text) override;
    std::optional<QString> text() override;
    // UrlOpener
    void openUrl(const QString& url) override;
    // RandomSource
    void seed(double seed) override;
    double next() override;
    // ColumnChooser
    std::optional<ColumnChoice> chooseColumn(const QString& fileName,
                                             const std::vector<QStringList>& rows,
                                             const ColumnChoice& proposed) override;
    // SpreadsheetReader
    void saveFirstSheetAsCsv(const QString& document, const QString& csvPath) override;
    void stopReading() noexcept override;

    // The log lines of one kind ("message", "error", ...), without the kind.
    QStringList logged(const QString& kind) const;
    // The error reports' texts.
    QStringList errors() const { return logged(QStringLiteral("error")); }

    QStringList log;
    QQueue<QString> inputAnswers;
    QQueue<QString> openAnswers;
    QQueue<QString> saveAnswers;
    // Runs while a message box or error report is open (the user still has it
    // in front of them), e.g. to click something else.
    std::function<void(const QString& text)> whileMessageShows;
    // Clipboard: its text, and how many attempts (of any kind, a read too)
    // fail before one succeeds (-1: every attempt fails).
    QString clipboardText;
    bool clipboardHasText = false;
    int clipboardFailures = 0;
    int clipboardAttempts = 0;
    // Random numbers handed out in turn, and the seeds received.
    QQueue<double> randomNumbers;
    QList<double> seeds;
    // The answers of the column chooser; with none left it takes the
    // proposal.
    QQueue<std::optional<ColumnChoice>> columnAnswers;
    // The spreadsheet reader: whether there is one, the text it writes for
    // any document, or the failure it throws when not empty.
    bool hasSpreadsheetReader = true;
    QByteArray sheetCsv;
    QString sheetFailure;
    // How long a reading takes (on the reading's thread) unless stopped,
    // whether one has begun, and how often the reader was told to stop.
    int sheetMilliseconds = 0;
    std::atomic<bool> sheetReading = false;
    std::atomic<bool> sheetStopped = false;
    int sheetStops = 0;
    // Whether opening an address fails.
    bool urlOpenerFails = false;
    // The seconds since midnight that start-up is given.
    double secondsSinceMidnight = 1234;
    // How often the program was ended, and whether from inside an action.
    QList<bool> programEnds;

    TempFolder folder;
    QString configFolder() const { return folder.file(QStringLiteral("config")); }
    QString programFolder() const { return folder.file(QStringLiteral("program")); }
    SettingsStore settings;
};
