#pragma once

#include <QtGlobal>
#include <functional>

// The yield of a long action to the window ("let the window process its
// pending events"), called at every yield point of the action, that lets the
// window run at most once per interval. The first call always yields, so
// whatever was already waiting runs at the first yield point.
//
// Letting the window look for events costs about half a microsecond even when
// none are waiting; a yield point per cell of a million-item list would spend
// seconds on that alone. Paced, a yield point costs a count and, every few
// calls, a look at the clock, while the window still handles input, repaints
// and other handlers' clicks within an interval.
class PacedYield
{
public:
    static constexpr qint64 DefaultIntervalNanoseconds = 10'000'000; // 10 ms

    // `clock` answers a steady time in nanoseconds; the default is the
    // system's steady clock. With an interval of 0 every call yields.
    explicit PacedYield(std::function<void()> doEvents,
                        qint64 intervalNanoseconds = DefaultIntervalNanoseconds,
                        std::function<qint64()> clock = {});

    void operator()()
    {
        if (due())
            yieldNow();
    }

    // The two halves of a call, for an action that shows its progress only
    // when the window will run: whether the window is due at this yield point,
    // and the yield itself.
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
    // window is due within the next `calls` of them, found with one look at
    // the clock at most. When it is not, the calls count as made and the
    // caller passes them without asking; when it is, the caller asks at each
    // of them as usual, and the first yields.
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
