#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

// The longest time between two handled events while it lives: a timer due
// every millisecond, and the time from the last of its calls to the end.
class GapProbe
{
public:
    GapProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { note(); });
        m_timer.start();
        m_clock.start();
    }
    double largestMs()
    {
        note();
        m_timer.stop();
        return m_largest / 1e6;
    }

private:
    void note()
    {
        const qint64 now = m_clock.nsecsElapsed();
        m_largest = std::max(m_largest, now - m_last);
        m_last = now;
    }
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_largest = 0;
};
