#include "upc/ValidationRun.h"

#include "shell/Failure.h"
#include "shell/Host.h"
#include "shell/Main.h"
#include "shell/Procedure.h"
#include "upc/modUPCCode.h"

namespace Main {

QString FileNameFromPath(const QString& path)
{
    const qsizetype at = path.lastIndexOf(QLatin1Char('\\'));
    return at < 0 ? path : path.sliced(at + 1);
}

} // namespace Main

// "Start Validating": files every code of the code list into the valid or the
// invalid list, in list order. The window handles its pending events once per
// code, so other handlers (another run included) may run in the middle; the
// busy pointer is the only guard. When the code list no longer holds the
// current position (it was emptied or shortened meanwhile), the one report of
// the step that found it out ends the rounds, and the run ends as always.
void ValidationRun::startValidating(Host& host)
{
    Procedure p(host.prompts(), procedureTag("Form1", "PushButton17_Click"));
    ListModel& codes = host.codeList();
    ListModel& valid = host.validList();
    ListModel& invalid = host.invalidList();

    if (!p.when(100, [&] { return codes.ItemCount() == 0; })) {
        p.step(102, [&] { valid.Clear(); });
        p.step(104, [&] { invalid.Clear(); });
        p.step(106, [&] { host.SetMousePointer(Host::vbHourglass); });
        // The bound is taken once; the list is read afresh at every step.
        const qsizetype n = p.count(108, [&] { return codes.ItemCount(); });
        const QString processing = QStringLiteral("Processing: ");
        const auto positionGone = [&](qsizetype i) { return i > codes.ItemCount(); };
        for (qsizetype i = 1; i <= n; ++i) {
            QString code;
            p.step(110, [&] { code = codes.ItemText(i); });
            if (positionGone(i))
                break;
            p.step(112, [&] {
                const qsizetype m = codes.ItemCount();
                if (m == 0)
                    throw Failure(QStringLiteral("Division by zero"));
                host.SetProgressValue(double(i) / double(m) * 100.0);
            });
            p.step(114, [&] { host.SetProgressText(processing + Main::FileNameFromPath(code)); });
            p.step(116, [&] { host.DoEvents(); });
            // A code the check fails on gets no verdict and so goes to the
            // invalid list; a verdict never carries over from another code.
            const QString* verdict = nullptr;
            p.step(118, [&] { verdict = &modUPCCode::CheckUPCCode(code); });
            if (p.when(120, [&] { return verdict && *verdict == modUPCCode::Valid; }))
                p.step(122, [&] { valid.AppendItem(codes.ItemText(i)); });
            else
                p.step(124, [&] { invalid.AppendItem(codes.ItemText(i)); });
            if (positionGone(i))
                break;
        } // 126
        p.step(128, [&] { host.SetMousePointer(Host::vbDefault); });
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
