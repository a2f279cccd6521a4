// Timed driver: a million codes along the whole road through the real window,
// offscreen, with scripted dialogs. Prints wall time and peak memory for each
// stage (for the validation run also the longest wait between two handled
// events): import from a text file, validation run, saving both result lists as
// text files, copying each list to the clipboard, closing (the code list
// is stored) and starting a new window (the code list is restored). Apart
// from the road, "Remove Duplicate Codes" on the restored list with its first
// tenth added once more. Then, for comparison, the same job in Python with
// python-stdnum, when it is installed: read the file, check every code, write
// the two lists.
//
// It ends with status 1 when any error report was shown or a count is off, so
// it doubles as a load run (CI runs it in the sanitizer build).
//
//     road_bench [--load-run] [--digits-only] [--codes N | N] [file]
//
// Default 1000000 codes of the realistic mix of MixedCodes.h in a generated
// file (ten million: --codes 10000000; --digits-only for the digits-only
// codes of earlier figures);
// --load-run leaves out the Python comparison. The line after the restore
// gives the peak memory of the whole road (each stage's line shows its own).

#include "MixedCodes.h"
#include "PlainLoop.h"
#include "gui/Form1.h"
#include "gui/ListView.h"
#include "gui/ProgressBar.h"
#include "support/GapProbe.h"
#include "support/ScriptedServices.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <sys/resource.h>

namespace {

// Peak resident memory of the process so far, in MiB (VmHWM).
double peakMiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    return -1;
}

double currentMiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    return -1;
}

// The highest peak of the stages so far.
double highestPeak = 0;

// Starts a new peak from the memory in use now, so each stage shows its own.
void resetPeak()
{
    highestPeak = std::max(highestPeak, peakMiB());
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
}

// The codes of the mix (MixedCodes.h), one per line, CR LF.
void writeCodes(const QString& path, long count, MixedCodes::Mix mix)
{
    std::string out;
    out.reserve(size_t(count) * 15);
    for (long i = 0; i < count; ++i) {
        MixedCodes::appendCode(out, std::uint64_t(i), mix);
        out += "\r\n";
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(out.data(), qint64(out.size())) != qint64(out.size())) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

// Counts how often a widget is drawn.
class PaintCounter : public QObject
{
public:
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

// The same job in Python: the file's lines (CR LF, CR or LF), each checked
// with python-stdnum as a 12-digit code, the two lists written to files.
const char* const PythonJob = R"(
import sys
from stdnum import ean
text = open(sys.argv[1], encoding="utf-8", newline="").read()
lines = text.replace("\r\n", "\n").replace("\r", "\n").split("\n")
if text.endswith("\r") or text.endswith("\r\n"):
    lines.pop()
valid, invalid = [], []
for line in lines:
    code = ean.compact(line)
    (valid if len(code) == 12 and ean.is_valid(code) else invalid).append(line)
open(sys.argv[2], "w", encoding="utf-8").write("\n".join(valid) + "\n")
open(sys.argv[3], "w", encoding="utf-8").write("\n".join(invalid) + "\n")
print(len(valid), "valid,", len(invalid), "invalid")
)";

void timePython(const QString& codes, const QTemporaryDir& work)
{
    // The system's Python, which has python3-stdnum, before any other.
    for (const QString& python : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        QProcess probe;
        probe.start(python, {QStringLiteral("-c"), QStringLiteral("import stdnum.ean")});
        if (!probe.waitForFinished(30000) || probe.exitStatus() != QProcess::NormalExit ||
            probe.exitCode() != 0)
            continue;
        QProcess job;
        QElapsedTimer timer;
        timer.start();
        job.start(python, {QStringLiteral("-c"), QString::fromUtf8(PythonJob), codes,
                           work.filePath(QStringLiteral("valid.txt")),
                           work.filePath(QStringLiteral("invalid.txt"))});
        job.waitForFinished(-1);
        const double seconds = timer.nsecsElapsed() / 1e9;
        std::printf("%-30s %8.3f s   (%s) %s\n", "python-stdnum, same job", seconds,
                    qPrintable(python), job.readAllStandardOutput().trimmed().constData());
        return;
    }
    std::printf("python-stdnum: not installed, comparison skipped\n");
}

// The run's report of a twelve-character code that reads as a number but
// holds a decimal point or a thousands separator: the run makes it, as it
// should, for about three codes in a hundred of the mix.
const QString TypeMismatchReport =
    QStringLiteral("Type mismatch\r\nin Lintorak2021/08/31.Form1.PushButton17_Click at line "
                   "118\r\rPlease email screenshot of this message to "
                   "support@tarnwell.example");

// The scripted platform, less what only a test needs: the run's expected
// reports are counted rather than logged one by one, and the clipboard holds
// its text once, not also in the log.
class BenchServices : public ScriptedServices
{
public:
    qsizetype typeMismatches = 0;

    void errorReport(const QString& text) override
    {
        if (text == TypeMismatchReport)
            ++typeMismatches;
        else
            ScriptedServices::errorReport(text);
    }
    bool setText(const QString& text) override
    {
        clipboardText = text;
        clipboardHasText = true;
        return true;
    }
};

// The processor time the process has used, in seconds: on a busy machine a
// steadier figure than the wall time.
double cpuSeconds()
{
    rusage usage = {};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The page faults of the window's thread so far: each first touch of fresh
// memory there.
long pageFaults()
{
    rusage usage = {};
    ::getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_minflt;
}

struct Stage
{
    QElapsedTimer timer;
    double cpu;
    long faults;
    const char* name;
    explicit Stage(const char* stageName) : name(stageName)
    {
        resetPeak();
        cpu = cpuSeconds();
        faults = pageFaults();
        timer.start();
    }
    void done(const char* detail)
    {
        const double seconds = timer.nsecsElapsed() / 1e9;
        std::printf(
            "%-28s %8.3f s (cpu %6.3f s)  peak %7.1f MiB   now %7.1f MiB   %6ld faults   %s\n",
            name, seconds, cpuSeconds() - cpu, peakMiB(), currentMiB(), pageFaults() - faults,
            detail);
        std::fflush(stdout);
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Nothing of the user's own folders is touched.
    QTemporaryDir work;
    QDir().mkpath(work.filePath(QStringLiteral("runtime")));
    QFile::setPermissions(work.filePath(QStringLiteral("runtime")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(work.filePath(QStringLiteral("runtime"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(work.filePath(QStringLiteral("config"))));
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    QStringList args = QCoreApplication::arguments().mid(1);
    const bool loadRun = args.removeAll(QStringLiteral("--load-run")) > 0;
    const MixedCodes::Mix mix = args.removeAll(QStringLiteral("--digits-only")) > 0
                                    ? MixedCodes::Mix::DigitsOnly
                                    : MixedCodes::Mix::Realistic;
    const qsizetype codesFlag = args.indexOf(QStringLiteral("--codes"));
    if (codesFlag >= 0 && codesFlag + 1 < args.size()) {
        const QString n = args.takeAt(codesFlag + 1);
        args.removeAt(codesFlag);
        args.prepend(n);
    }

    const long count = args.size() > 0 ? args.at(0).toLong() : 1000000;
    const QString file = args.size() > 1 ? args.at(1) : work.filePath("codes.txt");
    if (args.size() <= 1)
        writeCodes(file, count, mix);
    std::printf("codes file: %s (%.1f MiB)\n", qPrintable(file),
                QFileInfo(file).size() / 1048576.0);
    std::printf("start: %.1f MiB in use\n", currentMiB());

    BenchServices script;
    char detail[128];
    qsizetype nonEmptyCodes = 0; // what the next start must find again
    double roadSeconds = 0;
    {
        auto form = script.loadForm();
        PaintCounter barPaints, validPaints;
        form->ProgressBar1->installEventFilter(&barPaints);
        form->ListView2->viewport()->installEventFilter(&validPaints);
        form->show();
        QCoreApplication::processEvents();
        QElapsedTimer road;
        road.start();

        {
            Stage stage("import (PushButton3)");
            script.openAnswers.enqueue(file);
            form->PushButton3_Click();
            form->ListView1->Refresh();
            QCoreApplication::processEvents();
            std::snprintf(detail, sizeof detail, "%lld codes in the code list",
                          qlonglong(form->ListView1->ItemCount()));
            stage.done(detail);
        }
        {
            Stage stage("validation run (PushButton17)");
            // How long the window goes without handling an event while the
            // run works: a timer due every millisecond notes its longest wait.
            GapProbe gaps;
            form->PushButton17_Click();
            const double gapMs = gaps.largestMs();
            form->ListView2->Refresh();
            form->ListView3->Refresh();
            QCoreApplication::processEvents();
            std::snprintf(detail, sizeof detail, "%lld valid, %lld invalid, largest gap %.1f ms",
                          qlonglong(form->ListView2->ItemCount()),
                          qlonglong(form->ListView3->ItemCount()), gapMs);
            stage.done(detail);
            std::printf("%-30s %8.3f s   progress bar drawn %d times, valid list %d times\n",
                        "import and run together", road.nsecsElapsed() / 1e9, barPaints.count,
                        validPaints.count);
        }
        {
            Stage stage("save valid list (PushButton4)");
            script.saveAnswers.enqueue(work.filePath(QStringLiteral("valid-results.txt")));
            form->PushButton4_Click();
            std::snprintf(detail, sizeof detail, "%.1f MiB written",
                          QFileInfo(work.filePath(QStringLiteral("valid-results.txt"))).size() /
                              1048576.0);
            stage.done(detail);
        }
        {
            Stage stage("save invalid list (PushButton8)");
            script.saveAnswers.enqueue(work.filePath(QStringLiteral("invalid-results.txt")));
            form->PushButton8_Click();
            std::snprintf(detail, sizeof detail, "%.1f MiB written",
                          QFileInfo(work.filePath(QStringLiteral("invalid-results.txt"))).size() /
                              1048576.0);
            stage.done(detail);
            roadSeconds = road.nsecsElapsed() / 1e9;
            std::printf("%-30s %8.3f s   (import, run, both lists saved)\n", "the whole road",
                        roadSeconds);
        }
        // Counted outside the timed stages: what the next start must find again.
        for (const HeldText code : form->ListView1->model().items().texts())
            nonEmptyCodes += !code.isEmpty();
        // Each copy's text is let go before the next stage.
        const auto copyStage = [&](const char* name, void (Form1::*handler)()) {
            Stage stage(name);
            (form.get()->*handler)();
            std::snprintf(detail, sizeof detail, "%lld characters on the clipboard",
                          qlonglong(script.clipboardText.size()));
            stage.done(detail);
            script.clipboardText.clear();
        };
        copyStage("copy valid list (PushButton10)", &Form1::PushButton10_Click);
        copyStage("copy invalid list (PushButton11)", &Form1::PushButton11_Click);
        {
            // What a yield per code would cost by itself (the run paces its own).
            QElapsedTimer timer;
            timer.start();
            for (long i = 0; i < count; ++i)
                form->DoEvents();
            std::printf("%-30s %8.3f s\n", "the same number of idle yields",
                        timer.nsecsElapsed() / 1e9);
        }
        {
            Stage stage("close (store the code list)");
            form->close();
            std::snprintf(
                detail, sizeof detail, "%.1f MiB stored",
                QFileInfo(script.settings.pathOf("Tarnwell", "Quorvane", "UPC Codes")).size() /
                    1048576.0);
            stage.done(detail);
        }
    }
    qsizetype restored = 0;
    {
        Stage stage("start (restore the code list)");
        auto again = script.loadForm();
        restored = again->ListView1->ItemCount();
        again->show();
        QCoreApplication::processEvents();
        std::snprintf(detail, sizeof detail, "%lld codes restored",
                      qlonglong(again->ListView1->ItemCount()));
        stage.done(detail);
        resetPeak();
        std::printf("%-30s %8.1f MiB\n", "peak memory of the whole run", highestPeak);
        // Apart from the road: the first tenth of the file's codes once more
        // at the end, so that each ASCII one of them is there twice, and the
        // duplicates removed.
        QFile again2(file);
        const QByteArray bytes = again2.open(QIODevice::ReadOnly) ? again2.readAll() : QByteArray();
        std::vector<QLatin1StringView> lines;
        for (qsizetype at = 0, end;
             lines.size() < size_t(restored / 10) && (end = bytes.indexOf('\n', at)) >= 0;
             at = end + 1)
            lines.emplace_back(bytes.constData() + at, end - at - (bytes[end - 1] == '\r'));
        ListModel& codes = again->ListView1->model();
        codes.appendMany(lines);
        Stage twice("remove duplicate codes (menu)");
        const qsizetype removed = codes.removeDuplicates();
        std::snprintf(detail, sizeof detail, "%lld of %lld codes removed", qlonglong(removed),
                      qlonglong(restored + qsizetype(lines.size())));
        twice.done(detail);
    }
    if (!loadRun) {
        // The best of three, which a busy machine disturbs least.
        PlainLoop::Timing loop{1e9, 0};
        for (int round = 0; round < 3; ++round) {
            const PlainLoop::Timing t =
                PlainLoop::run(file.toStdString(), work.filePath("loop-valid.txt").toStdString(),
                               work.filePath("loop-invalid.txt").toStdString());
            if (t.seconds < loop.seconds)
                loop = t;
        }
        std::printf("%-30s %8.3f s (cpu %6.3f s)  the whole road is %.1fx the loop\n",
                    "plain C++ loop, same job", loop.seconds, loop.cpu, roadSeconds / loop.seconds);
        timePython(file, work);
    }
    const QStringList messages = script.logged("message");
    const QStringList errors = script.errors();
    const qsizetype typeMismatches = script.typeMismatches;
    std::printf("messages: %s; Type mismatch reports of the run: %lld; other error reports: %lld\n",
                qPrintable(messages.join(", ")), qlonglong(typeMismatches),
                qlonglong(errors.size()));
    if (!errors.isEmpty())
        std::printf("first error report: %s\n", qPrintable(errors.first()));
    return errors.isEmpty() && restored == nonEmptyCodes ? 0 : 1;
}
