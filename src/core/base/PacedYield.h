#pragma once

#include <QtGlobal>
#include <functional>

// The yield of a long action to the window ("let the window process its
// pending events"), called at every yield point, that lets the window run at
// most once per interval; the first call always yields. Letting the window look
// for events costs about half a microsecond even when none wait, seconds for a
// yield point per cell of a million-item list; paced, a yield point costs a
// count and, every few calls, a look at the clock.
class PacedYield
{
public:
    static constexpr qint64 DefaultIntervalNanoseconds = 10'000'000; // 10 ms

    // `clock` answers a steady time in nanoseconds (default: the system's
    // steady clock). With an interval of 0 every call yields.
    explicit PacedYield(std::function<void()> doEvents,
                        qint64 intervalNanoseconds = DefaultIntervalNanoseconds,
                        std::function<qint64()> clock = {});

    void operator()()
    {
        if (due())
            yieldNow();
    }

    // The two halves of a call, for an action that shows its progress only when
    // the window will run: whether it is due here, and the yield itself.
    bool due()
    {
        if (m_skip > 0) {
            --m_skip;
            return false;
        }
        return check();
    }
    void yieldNow();

    // For a stretch of cheap yield points (a line of a table): whether the
    // window is due within the next `calls`, with one look at the clock at
    // most. If not, the calls count as made; if so, the caller asks at each.
    bool dueWithin(qint64 calls)
    {
        if (m_skip >= calls) {
            m_skip -= int(calls);
            return false;
        }
        if (!check())
            return false;
        m_skip = 0; // the next call looks again, finds it due and yields
        return true;
    }

    // How often the window was let run.
    qint64 yields() const { return m_yields; }

private:
    // The clock is read on every this many-th call.
    static constexpr int CallsPerLook = 16;

    bool check();
    qint64 now() const;

    std::function<void()> m_doEvents;
    qint64 m_interval;
    std::function<qint64()> m_clock;
    int m_skip = 0;
    bool m_started = false;
    qint64 m_last = 0;
    qint64 m_yields = 0;
};
