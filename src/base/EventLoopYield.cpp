#include "base/EventLoopYield.h"
#include "base/ProgramEnd.h"
#include <QCoreApplication>

namespace tw {

void EventLoopYield::DoEvents() {
    if (!m_end.requested() && m_sinceEvents.isValid() && m_sinceEvents.elapsed() < m_intervalMs)
        return;
    if (!m_end.requested())
        QCoreApplication::processEvents();
    m_sinceEvents.start();
    if (m_end.requested())
        throw ProgramEnding();
}

}
