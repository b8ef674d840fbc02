#pragma once
#include "base/Yield.h"
#include <QElapsedTimer>

namespace tw {

class ProgramEnd;

// The yield of the running program. Transfers yield once per value, so it
// hands over to the event loop at most once per interval (often enough to
// repaint and to see a click on the close box) and otherwise only reads the
// clock.
class EventLoopYield : public Yield {
public:
    explicit EventLoopYield(const ProgramEnd& end, int intervalMs = 15) : m_end(end), m_intervalMs(intervalMs) {}
    void DoEvents() override;

private:
    const ProgramEnd& m_end;
    const int m_intervalMs;
    QElapsedTimer m_sinceEvents;
};

}
