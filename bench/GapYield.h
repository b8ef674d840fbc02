#pragma once
#include "shell/Yield.h"
#include <chrono>
#include <vector>

namespace bench {

// The window's yield with a stopwatch around it: records the longest time
// between two yields, counting the click and the return as yields too.
class GapYield : public tw::Yield {
public:
    using Clock = std::chrono::steady_clock;

    explicit GapYield(tw::Yield& window) : m_window(window) {}

    void start() {
        m_last = Clock::now();
        m_count = 0;
        m_longest = {};
        m_longestAt = 0;
    }
    void DoEvents() override {
        mark();
        m_window.DoEvents();
    }
    void finish() { mark(); }

    double longestMs() const { return std::chrono::duration<double, std::milli>(m_longest).count(); }
    long long longestEndsAtYield() const { return m_longestAt; }  // 0 is the click
    long long count() const { return m_count; }

private:
    void mark() {
        const Clock::time_point now = Clock::now();
        if (now - m_last > m_longest) {
            m_longest = now - m_last;
            m_longestAt = m_count + 1;
        }
        m_last = now;
        ++m_count;
    }

    tw::Yield& m_window;
    Clock::time_point m_last;
    Clock::duration m_longest{};
    long long m_count = 0;
    long long m_longestAt = 0;
};

}
