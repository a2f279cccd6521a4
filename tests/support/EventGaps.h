#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

// How long the window's event loop went without handling its events, from
// the making of this object on: a timer of 0 ms notes each turn of the loop.
class EventGaps
{
public:
    EventGaps()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { note(); });
        m_timer.start(0);
        m_clock.start();
    }

    // The longest gap so far, the one still open included, in milliseconds.
    qint64 longest() const { return std::max(m_longest, m_clock.elapsed() - m_last); }

private:
    void note()
    {
        const qint64 now = m_clock.elapsed();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};
