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
class RunProgress
{
public:
    RunProgress(Procedure& p, Host& host, const ListModel& codes)
        : m_p(p), m_host(host), m_codes(codes)
    {}

    void reached(qsizetype i) { m_reached = i; }

    void show()
    {
        if (m_shown == m_reached)
            return;
        const qsizetype i = m_shown = m_reached;
        m_p.step(112, [&] {
            const qsizetype m = m_codes.ItemCount();
            if (m == 0)
                throw Failure(QStringLiteral("Division by zero"));
            m_host.SetProgressValue(double(i) / double(m) * 100.0);
        });
        m_p.step(114, [&] {
            m_caption.resize(0);
            m_caption.append(QLatin1StringView("Processing: "));
            m_codes.HeldTextAt(i).visit(
                [this](auto text) { m_caption.append(Main::FileNameFromPath(text)); });
            m_host.SetProgressText(m_caption);
        });
    }

private:
    Procedure& m_p;
    Host& m_host;
    const ListModel& m_codes;
    qsizetype m_reached = 0;
    qsizetype m_shown = 0;
    QString m_caption;
};

// Files a stretch of codes among which the window does not run (so nothing
// changes the lists) without the per-step checks, up to a code the check
// cannot answer for. Each list takes its codes at once, or when it cannot,
// one by one as their steps would.
class QuietStretches
{
public:
    QuietStretches(Procedure& p, const ListModel& codes, ListModel& valid, ListModel& invalid,
                   PacedYield& yield, const QLocale& locale)
        : m_p(p), m_codes(codes), m_valid(valid), m_invalid(invalid), m_yield(yield),
          m_locale(locale)
    {
        m_toValid.reserve(size_t(QuietCodes));
        m_toInvalid.reserve(size_t(QuietCodes));
    }

    // Files the stretch from code `from` (of the first `n`), if any; answers
    // the first code not filed.
    qsizetype file(qsizetype from, qsizetype n, RunProgress& progress)
    {
        const qsizetype last = std::min(n, from + QuietCodes - 1);
        if (last > m_codes.ItemCount() || m_yield.dueWithin(last - from + 1))
            return from;
        m_toValid.clear();
        m_toInvalid.clear();
        qsizetype i = from;
        for (; i <= last; ++i) {
            const HeldText code = m_codes.HeldTextAt(i);
            const modUPCCode::Verdict verdict =
                code.visit([this](auto text) { return modUPCCode::CheckUPCCode(text, m_locale); });
            if (verdict == modUPCCode::Verdict::TypeMismatch) {
                m_stoppedBefore = i;
                break;
            }
            (verdict == modUPCCode::Verdict::Valid ? m_toValid : m_toInvalid).push_back(code);
        }
        fileAll(m_valid, m_toValid, 122);
        fileAll(m_invalid, m_toInvalid, 124);
        progress.reached(i - 1);
        return i;
    }

    bool stoppedBefore(qsizetype i) const { return i == m_stoppedBefore; }

private:
    void fileAll(ListModel& list, const std::vector<HeldText>& texts, int line)
    {
        try {
            list.appendMany(texts);
        } catch (...) {
            for (const HeldText text : texts)
                m_p.step(line, [&] { list.AppendItem(text); });
        }
    }

    Procedure& m_p;
    const ListModel& m_codes;
    ListModel& m_valid;
    ListModel& m_invalid;
    PacedYield& m_yield;
    const QLocale& m_locale;
    std::vector<HeldText> m_toValid;
    std::vector<HeldText> m_toInvalid;
    qsizetype m_stoppedBefore = 0;
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
        RunProgress progress(p, host, codes);
        const QString typeMismatch = QLatin1String(FailureText::TypeMismatch);
        PacedYield yield([&host] { host.DoEvents(); }, yieldIntervalNanoseconds, std::move(clock));
        // The user's locale, looked up again after each yield.
        QLocale locale;
        QuietStretches stretches(p, codes, valid, invalid, yield, locale);
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
            progress.reached(i);
            // Unless the window runs first, a stretch stopped before a type mismatch.
            bool known = stretches.stoppedBefore(i);
            if (yield.due()) {
                kept = code.toString();
                code = kept;
                progress.show();
                p.step(116, [&] { yield.yieldNow(); });
                locale = QLocale();
                known = false;
            }
            // A type mismatch is reported and goes to the invalid list.
            const modUPCCode::Verdict verdict =
                known ? modUPCCode::Verdict::TypeMismatch : code.visit([&](auto text) {
                    return modUPCCode::CheckUPCCode(text, locale);
                }); // 118
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
