// Timed driver: saving and copying a valid list of a million items.
//
//     output_bench [items] [--every-yield]
//
// Runs the real window offscreen with scripted dialogs and clipboard, fills
// the valid list with valid UPC-A codes, then times "Save Results As Text
// File" into a real file and "Copy Results To Clipboard", each through its
// button handler, yields included. With --every-yield it also times the same
// two procedures letting the window process its events at every yield point
// instead of at most once per interval, to show what that would cost.
// Prints wall time and peak memory of each. Last, the safe writer alone: 16 MiB
// written to the page cache, and then synced and put in place.

#include "core/base/PacedYield.h"
#include "core/files/SafeFile.h"
#include "core/text/TextTable.h"
#include "core/upc/UpcCheck.h"
#include "features/ClipboardCopy.h"
#include "features/Main.h"
#include "features/TextExport.h"
#include "gui/Form1.h"
#include "gui/ListView.h"
#include "support/ScriptedServices.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// The peak resident memory of this process in MiB since the last reset.
double peakMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

double currentMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

// Starts a new peak at the current resident memory (Linux 4.0 and later).
bool resetPeak()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    return refs.open(QIODevice::WriteOnly) && refs.write("5") == 1;
}

// A valid UPC-A code made from a number: eleven digits and the check digit.
QString validCode(qint64 n)
{
    QString code = QStringLiteral("%1").arg(n % 100'000'000'000LL, 11, 10, QLatin1Char('0'));
    int sum = 0;
    for (int i = 0; i < 11; ++i)
        sum += (code.at(i).unicode() - '0') * (i % 2 == 0 ? 3 : 1);
    code += QChar(u'0' + (10 - sum % 10) % 10);
    return code;
}

struct Figures
{
    double seconds;
    double peak;
    double before;
};

template <typename Action> Figures measure(Action&& action)
{
    const double before = currentMiB();
    const bool reset = resetPeak();
    QElapsedTimer timer;
    timer.start();
    action();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    return {seconds, reset ? peakMiB() : -1, before};
}

void print(const char* what, const Figures& f, const char* budget)
{
    std::printf("%-46s %7.3f s   peak %7.1f MiB (%+.1f MiB over the %.1f MiB before)%s\n", what,
                f.seconds, f.peak, f.peak - f.before, f.before, budget);
}

const char* verdict(double seconds)
{
    return seconds <= 1.0 ? "   [within 1 s]" : "   [OVER 1 s]";
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));

    qint64 items = 1'000'000;
    bool everyYield = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--every-yield") == 0)
            everyYield = true;
        else
            items = QByteArray(argv[i]).toLongLong();
    }

    ScriptedServices script;
    auto form = script.loadForm();
    form->show();
    QApplication::processEvents();
    ListModel& valid = form->ListView2->model();

    QElapsedTimer fill;
    fill.start();
    for (qint64 i = 0; i < items; ++i)
        valid.AppendItem(validCode(i * 7919 + 3));
    valid.publish();
    QApplication::processEvents();
    std::printf("%lld items in the valid list (filled in %.3f s; first %s, \"%s\")\n",
                static_cast<long long>(items), double(fill.nsecsElapsed()) / 1e9,
                qPrintable(valid.ItemText(1)),
                modUPCCode::CheckUPCCode(valid.ItemText(1)) == modUPCCode::Verdict::Valid
                    ? "Valid"
                    : "Not Valid");

    // Save Results As Text File, through the button's handler.
    const QString path = script.folder.file(QStringLiteral("valid.txt"));
    script.saveAnswers.enqueue(path);
    const Figures save = measure([&] { form->PushButton4_Click(); });
    const qint64 expectedBytes = 15 + items * 15;
    print("save to a text file (PushButton4_Click)", save, verdict(save.seconds));
    std::printf("    file %lld bytes (expected %lld), %lld error reports\n",
                static_cast<long long>(QFileInfo(path).size()),
                static_cast<long long>(expectedBytes),
                static_cast<long long>(script.errors().size()));

    // Copy Results To Clipboard, through the button's handler.
    const Figures copy = measure([&] { form->PushButton10_Click(); });
    print("copy to the clipboard (PushButton10_Click)", copy, verdict(copy.seconds));
    std::printf("    clipboard %lld characters (expected %lld), %lld messages\n",
                static_cast<long long>(script.clipboardText.size()),
                static_cast<long long>(items * 14),
                static_cast<long long>(script.logged(QStringLiteral("message")).size()));
    script.clipboardText.clear();
    script.log.clear();

    // How often the window ran during a paced save.
    {
        PacedYield yield([&] { form->DoEvents(); });
        const Figures f = measure([&] {
            Main::SaveListviewProperlySpacedWithoutProgressBar(valid, path, script, yield);
        });
        std::printf("    a paced save let the window run %lld times (%.1f per second)\n",
                    static_cast<long long>(yield.yields()), double(yield.yields()) / f.seconds);
    }

    if (everyYield) {
        qint64 yields = 0;
        PacedYield doEvents(
            [&] {
                ++yields;
                form->DoEvents();
            },
            0);
        const Figures fullSave = measure([&] {
            Main::SaveListviewProperlySpacedWithoutProgressBar(valid, path, script, doEvents);
        });
        print("save, window run at every yield point", fullSave, "");
        std::printf("    %lld yield points, %.0f ns each on average\n",
                    static_cast<long long>(yields), fullSave.seconds * 1e9 / double(yields));
        yields = 0;
        const Figures fullCopy =
            measure([&] { Main::CopyListviewProperlySpacedToClipboard(valid, script, doEvents); });
        print("copy, window run at every yield point", fullCopy, "");
        std::printf("    %lld yield points\n", static_cast<long long>(yields));
    }

    // The safe writer by itself: 16 MiB of lines in the blocks a save hands
    // it, first to the page cache (the writes), then made durable (the commit,
    // which syncs before the file takes its target's place).
    {
        const QByteArray line("712345678904   \r\n");
        QByteArray block;
        while (block.size() + line.size() <= TextTable::TableOutput::BlockBytes)
            block += line;
        const qsizetype blocks = (qsizetype(16) << 20) / block.size();
        const QString target = script.folder.file(QStringLiteral("safe.txt"));
        QElapsedTimer timer;
        timer.start();
        std::unique_ptr<SafeFile> file = SafeFile::open(target, SafeFile::Rules());
        for (qsizetype b = 0; b < blocks; ++b)
            file->write(block);
        const double written = double(timer.nsecsElapsed()) / 1e9;
        file->commit();
        const double committed = double(timer.nsecsElapsed()) / 1e9;
        std::printf("safe writer, %.1f MiB in %lld-byte blocks: %.1f ms to the page cache, "
                    "%.1f ms with the sync\n",
                    double(blocks * block.size()) / 1048576.0, static_cast<long long>(block.size()),
                    written * 1e3, committed * 1e3);
    }

    const bool ok = save.seconds <= 1.0 && copy.seconds <= 1.0 && script.errors().isEmpty() &&
                    QFileInfo(path).size() == expectedBytes;
    return ok ? 0 : 1;
}
