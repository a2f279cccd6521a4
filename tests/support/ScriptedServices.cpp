#include "support/ScriptedServices.h"

#include "core/base/Failure.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <thread>

ScriptedServices::ScriptedServices() : settings(configFolder())
{
    QDir().mkpath(programFolder());
}

ScriptedServices::~ScriptedServices() = default;

Services ScriptedServices::services()
{
    Services s;
    s.prompts = this;
    s.fileDialogs = this;
    s.clipboard = this;
    s.urlOpener = this;
    s.random = this;
    s.settings = &settings;
    s.columnChooser = this;
    s.spreadsheetReader = hasSpreadsheetReader ? this : nullptr;
    s.programFolder = programFolder();
    s.secondsSinceMidnight = [this] { return secondsSinceMidnight; };
    s.endProgram = [this](bool insideAction) { programEnds.append(insideAction); };
    return s;
}

void ScriptedServices::messageBox(const QString& text, const QString& title)
{
    log.append(QStringLiteral("message|") + title + QLatin1Char('|') + text);
    if (whileMessageShows)
        whileMessageShows(text);
}

void ScriptedServices::errorReport(const QString& text)
{
    log.append(QStringLiteral("error|") + text);
    if (whileMessageShows)
        whileMessageShows(text);
}

QString ScriptedServices::inputBox(const QString& prompt, const QString& title)
{
    log.append(QStringLiteral("input|") + title + QLatin1Char('|') + prompt);
    return inputAnswers.isEmpty() ? QString() : inputAnswers.dequeue();
}

namespace {
QString describe(const char* kind, const FileDialogRequest& r)
{
    return QLatin1String(kind) + QLatin1Char('|') + QString::number(r.flags) + QLatin1Char('|') +
           r.title + QLatin1Char('|') + r.filter + QLatin1Char('|') + r.fileName;
}
} // namespace

QString ScriptedServices::showOpen(const FileDialogRequest& request)
{
    log.append(describe("open", request));
    return openAnswers.isEmpty() ? QString() : openAnswers.dequeue();
}

QString ScriptedServices::showSave(const FileDialogRequest& request)
{
    log.append(describe("save", request));
    return saveAnswers.isEmpty() ? QString() : saveAnswers.dequeue();
}

bool ScriptedServices::clear()
{
    ++clipboardAttempts;
    if (clipboardFailures < 0 || clipboardAttempts <= clipboardFailures)
        return false;
    log.append(QStringLiteral("clipboard-clear"));
    clipboardText.clear();
    clipboardHasText = false;
    return true;
}

bool ScriptedServices::setText(const QString& text)
{
    ++clipboardAttempts;
    if (clipboardFailures < 0 || clipboardAttempts <= clipboardFailures)
        return false;
    log.append(QStringLiteral("clipboard-set|") + text);
    clipboardText = text;
    clipboardHasText = true;
    return true;
}

std::optional<QString> ScriptedServices::text()
{
    ++clipboardAttempts;
    if (clipboardFailures < 0 || clipboardAttempts <= clipboardFailures)
        return std::nullopt;
    log.append(QStringLiteral("clipboard-get"));
    return clipboardHasText ? clipboardText : QString();
}

void ScriptedServices::openUrl(const QString& url)
{
    log.append(QStringLiteral("url|") + url);
    if (urlOpenerFails)
        throw Failure(QStringLiteral("File not found"));
}

void ScriptedServices::seed(double value)
{
    seeds.append(value);
}

double ScriptedServices::next()
{
    return randomNumbers.isEmpty() ? 0.5 : randomNumbers.dequeue();
}

std::optional<ColumnChoice> ScriptedServices::chooseColumn(const QString& fileName,
                                                           const std::vector<QStringList>& rows,
                                                           const ColumnChoice& proposed)
{
    QStringList shown;
    for (const QStringList& row : rows)
        shown.append(row.join(QLatin1Char(',')));
    log.append(QStringLiteral("column|%1|%2|%3|%4")
                   .arg(fileName)
                   .arg(proposed.column)
                   .arg(proposed.header ? 1 : 0)
                   .arg(shown.join(QLatin1Char(';'))));
    return columnAnswers.isEmpty() ? proposed : columnAnswers.dequeue();
}

void ScriptedServices::saveFirstSheetAsCsv(const QString& document, const QString& csvPath)
{
    log.append(QStringLiteral("sheet|") + document);
    sheetStopped = false;
    sheetReading = true;
    for (const QDeadlineTimer left(sheetMilliseconds); !left.hasExpired() && !sheetStopped;)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (sheetStopped)
        throw Failure(QStringLiteral("The stand-in reading was stopped"));
    if (!sheetFailure.isEmpty())
        throw Failure(sheetFailure);
    QFile out(csvPath);
    if (!out.open(QIODevice::WriteOnly) || out.write(sheetCsv) != sheetCsv.size())
        throw Failure(out.errorString());
}

void ScriptedServices::stopReading() noexcept
{
    ++sheetStops;
    sheetStopped = true;
}

QStringList ScriptedServices::logged(const QString& kind) const
{
    QStringList lines;
    const QString prefix = kind + QLatin1Char('|');
    for (const QString& line : log) {
        if (line == kind)
            lines.append(QString());
        else if (line.startsWith(prefix))
            lines.append(line.mid(prefix.size()));
    }
    return lines;
}
