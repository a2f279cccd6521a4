#include "features/ValidationRun.h"

#include "core/base/Failure.h"
#include "core/base/PacedYield.h"
#include "core/upc/UpcCheck.h"
#include "features/Main.h"
#include "features/host/Host.h"
#include "features/host/Procedure.h"

#include <QLocale>
#include <algorithm>
#include <vector>

namespace {

// The most codes filed in one stretch between two looks at the clock.
constexpr qsizetype QuietCodes = 256;

// Steps 112 and 114 (the bar) of the code reached, made only when the bar can
// be seen: at a yield or an error report. Until the window runs the list
// cannot change, so they read what the code's own steps would have read.
struct RunProgress
{
    Procedure& p;
    Host& host;
    const ListModel& codes;
    qsizetype reached = 0; // the code the run is at
    qsizetype shown = 0;
    QString caption = {};

    void show()
    {
        if (shown == reached)
            return;
        const qsizetype i = shown = reached;
        p.step(112, [&] {
            const qsizetype m = codes.ItemCount();
            if (m == 0)
                throw Failure(QStringLiteral("Division by zero"));
            host.SetProgressValue(double(i) / double(m) * 100.0);
        });
        p.step(114, [&] {
            caption.resize(0);
            caption.append(QLatin1StringView("Processing: "));
            codes.HeldTextAt(i).visit(
                [this](auto text) { caption.append(Main::FileNameFromPath(text)); });
            host.SetProgressText(caption);
        });
    }
};

// Files a stretch of codes among which the window does not run (so nothing
// changes the lists) without the per-step checks, up to a type mismatch. Each
// list takes its codes at once, or else one by one as their steps would.
struct QuietStretches
{
    Procedure& p;
    const ListModel& codes;
    ListModel& valid;
    ListModel& invalid;
    PacedYield& yield;
    const QLocale& locale;
    std::vector<HeldText> toValid = {};
    std::vector<HeldText> toInvalid = {};

    // Files the stretch from code `from` (of `n`), if any; answers the first code not filed.
    qsizetype file(qsizetype from, qsizetype n, RunProgress& progress)
    {
        const qsizetype last = std::min(n, from + QuietCodes - 1);
        if (last > codes.ItemCount() || yield.dueWithin(last - from + 1))
            return from;
        toValid.clear();
        toInvalid.clear();
        qsizetype i = from;
        for (; i <= last; ++i) {
            const HeldText code = codes.HeldTextAt(i);
            const modUPCCode::Verdict verdict =
                code.visit([this](auto text) { return modUPCCode::CheckUPCCode(text, locale); });
            if (verdict == modUPCCode::Verdict::TypeMismatch)
                break;
            (verdict == modUPCCode::Verdict::Valid ? toValid : toInvalid).push_back(code);
        }
        fileAll(valid, toValid, 122);
        fileAll(invalid, toInvalid, 124);
        progress.reached = i - 1;
        return i;
    }

    void fileAll(ListModel& list, const std::vector<HeldText>& texts, int line)
    {
        try {
            list.appendMany(texts);
        } catch (...) {
            for (const HeldText text : texts)
                p.step(line, [&] { list.AppendItem(text); });
        }
    }
};

} // namespace

// Other handlers (another run included) may run at the paced yields; the busy
// pointer is the only guard. When the code list no longer holds the current
// position, the report of the step that found it out ends the rounds.
void ValidationRun::startValidating(Host& host, qint64 yieldIntervalNanoseconds,
                                    std::function<qint64()> clock)
{
    Procedure p(host.prompts(), procedureTag("Form1", "PushButton17_Click"));
    ListModel& codes = host.codeList();
    ListModel& valid = host.validList();
    ListModel& invalid = host.invalidList();

    if (!p.when(100, [&] { return codes.ItemCount() == 0; })) {
        p.step(102, [&] { valid.Clear(); });
        p.step(104, [&] { invalid.Clear(); });
        p.step(106, [&] { host.SetMousePointer(PointerMode::Hourglass); });
        // The bound is taken once; the list is read afresh at every step.
        const qsizetype n = p.count(108, [&] { return codes.ItemCount(); });
        const auto positionGone = [&](qsizetype i) { return i > codes.ItemCount(); };
        RunProgress progress{p, host, codes};
        const QString typeMismatch = QLatin1String(FailureText::TypeMismatch);
        PacedYield yield([&host] { host.DoEvents(); }, yieldIntervalNanoseconds, std::move(clock));
        // The user's locale, looked up again after each yield.
        QLocale locale;
        QuietStretches stretches{p, codes, valid, invalid, yield, locale};
        for (qsizetype i = 1; i <= n; ++i) {
            if ((i = stretches.file(i, n, progress)) > n)
                break;
            if (positionGone(i)) {
                // Item i went at the last yield: its reading is reported.
                progress.show();
                p.step(110, [&] { (void)codes.ItemText(i); });
                break;
            }
            // The code is read where the list holds it, and copied only when the
            // window runs before it is checked.
            HeldText code = codes.HeldTextAt(i); // 110
            QString kept;
            progress.reached = i;
            if (yield.due()) {
                kept = code.toString();
                code = kept;
                progress.show();
                p.step(116, [&] { yield.yieldNow(); });
                locale = QLocale();
            }
            // A type mismatch is reported and goes to the invalid list.
            const modUPCCode::Verdict verdict = code.visit(
                [&](auto text) { return modUPCCode::CheckUPCCode(text, locale); }); // 118
            if (verdict == modUPCCode::Verdict::TypeMismatch) {
                progress.show();
                p.report(typeMismatch, 118);
            }
            if (p.when(120, [&] { return verdict == modUPCCode::Verdict::Valid; }))
                p.step(122, [&] { valid.AppendItem(codes.HeldTextAt(i)); });
            else
                p.step(124, [&] { invalid.AppendItem(codes.HeldTextAt(i)); });
            if (positionGone(i))
                break;
        } // 126
        // The bar shows the last code, as after every code, before it rests.
        progress.show();
        p.step(128, [&] { host.SetMousePointer(PointerMode::Default); });
        p.step(130, [&] { host.SetProgressValue(0); });
        p.step(132, [&] { host.SetProgressText(QStringLiteral("Progress Bar")); });
        p.step(134, [&] {
            host.prompts().messageBox(QStringLiteral("Done."), Main::ApplicationTitle());
        });
        return;
    }
    p.step(136, [&] {
        host.prompts().messageBox(QStringLiteral("No UPC codes added."), Main::ApplicationTitle());
    });
}
