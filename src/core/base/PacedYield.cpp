#include "core/base/PacedYield.h"

#include <chrono>

PacedYield::PacedYield(std::function<void()> doEvents, qint64 intervalNanoseconds,
                       std::function<qint64()> clock)
    : m_doEvents(std::move(doEvents)), m_interval(intervalNanoseconds), m_clock(std::move(clock))
{}

qint64 PacedYield::now() const
{
    using namespace std::chrono_literals;
    return m_clock ? m_clock() : std::chrono::steady_clock::now().time_since_epoch() / 1ns;
}

bool PacedYield::check()
{
    if (m_interval <= 0)
        return true;
    m_skip = CallsPerLook - 1;
    const qint64 t = now();
    return !m_started || t - m_last >= m_interval;
}

void PacedYield::yieldNow()
{
    ++m_yields;
    m_doEvents();
    // The interval counts from the end of the yield, so a slow repaint or a
    // handler that ran there does not make the next yield due at once.
    m_last = now();
    m_started = true;
}
