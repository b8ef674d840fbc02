#pragma once
#include <QElapsedTimer>
#include <QTimer>

namespace bench {

// The window's thread as the user meets it: a timer due every 5 ms
// records the longest time between two of its ticks, that is the longest
// the event loop was kept from running.
class WindowGap {
public:
    WindowGap() {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_longestNs = std::max(m_longestNs, m_sinceTick.nsecsElapsed());
            m_sinceTick.start();
        });
    }
    void start() {
        m_longestNs = 0;
        m_sinceTick.start();
        m_timer.start();
    }
    void finish() {
        m_longestNs = std::max(m_longestNs, m_sinceTick.nsecsElapsed());
        m_timer.stop();
    }
    double longestMs() const { return double(m_longestNs) / 1e6; }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceTick;
    qint64 m_longestNs = 0;
};

}
